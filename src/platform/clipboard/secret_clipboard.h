#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ziq {

// The one place that knows how password managers mark clipboard content as secret:
// on X11 "x-kde-passwordManagerHint" holding "secret"; on Windows the presence of
// "ExcludeClipboardContentFromMonitorProcessing" or "Clipboard Viewer Ignore", or
// "CanIncludeInClipboardHistory" holding the DWORD 0.
// `formats` are the names the toolkit reports (Windows formats may come wrapped as
// application/x-qt-windows-mime;value="Name"); `dataOf` fetches the bytes of one of them,
// nothing when that failed. A marker that cannot be read counts as secret.
bool isSecretClipboard(const std::vector<std::string>& formats,
                       const std::function<std::optional<std::string>(const std::string&)>& dataOf);

} // namespace ziq
