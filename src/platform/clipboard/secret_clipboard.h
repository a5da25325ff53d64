#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ziq {

// The one place that knows how password managers mark clipboard content as secret:
// on X11 "x-kde-passwordManagerHint" holding "secret"; on Windows the presence of
// "ExcludeClipboardContentFromMonitorProcessing" or "Clipboard Viewer Ignore", or
// "CanIncludeInClipboardHistory" holding the DWORD 0.
// `formats` are the names the toolkit reports (Windows formats may come wrapped as
// application/x-qt-windows-mime;value="Name"); `dataOf` fetches the bytes of one of them.
bool isSecretClipboard(const std::vector<std::string>& formats,
                       const std::function<std::string(const std::string&)>& dataOf);

} // namespace ziq
