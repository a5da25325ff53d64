#include "platform/clipboard/secret_clipboard.h"

#include <algorithm>
#include <string_view>

namespace ziq {

namespace {

constexpr std::string_view kExcludeFromMonitors = "ExcludeClipboardContentFromMonitorProcessing";
constexpr std::string_view kViewerIgnore = "Clipboard Viewer Ignore";
constexpr std::string_view kHistoryFlag = "CanIncludeInClipboardHistory";
constexpr std::string_view kKdeHint = "x-kde-passwordManagerHint";

// A Windows clipboard format name as the toolkit wraps it, or the name itself.
std::string_view nativeName(std::string_view format) {
    constexpr std::string_view prefix = "application/x-qt-windows-mime;value=\"";
    if (format.size() > prefix.size() && format.substr(0, prefix.size()) == prefix &&
        format.back() == '"') {
        return format.substr(prefix.size(), format.size() - prefix.size() - 1);
    }
    return format;
}

bool isZeroDword(const std::string& bytes) {
    return bytes.size() >= 4 &&
           std::all_of(bytes.begin(), bytes.begin() + 4, [](char byte) { return byte == '\0'; });
}

bool isSecretHint(const std::string& bytes) {
    std::string_view value = bytes;
    while (!value.empty() && (value.back() == '\0' || value.back() == '\n')) {
        value.remove_suffix(1);
    }
    return value == "secret";
}

} // namespace

bool isSecretClipboard(
    const std::vector<std::string>& formats,
    const std::function<std::optional<std::string>(const std::string&)>& dataOf) {
    for (const std::string& format : formats) {
        const std::string_view name = nativeName(format);
        if (name == kExcludeFromMonitors || name == kViewerIgnore) {
            return true;
        }
        if (name == kHistoryFlag) {
            const std::optional<std::string> flag = dataOf(format);
            if (!flag || isZeroDword(*flag)) {
                return true;
            }
        }
        if (name == kKdeHint) {
            const std::optional<std::string> hint = dataOf(format);
            if (!hint || isSecretHint(*hint)) {
                return true;
            }
        }
    }
    return false;
}

const std::vector<std::string>& secretMarkerFormats() {
    static const std::vector<std::string> markers{std::string(kExcludeFromMonitors),
                                                  std::string(kViewerIgnore),
                                                  std::string(kHistoryFlag), std::string(kKdeHint)};
    return markers;
}

} // namespace ziq
