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

// The names of every format above that can mark content as secret, those that mark it by
// their presence alone first: where the system tells which formats are offered without
// opening the clipboard (Windows), only these need asking about.
const std::vector<std::string>& secretMarkerFormats();

} // namespace ziq
