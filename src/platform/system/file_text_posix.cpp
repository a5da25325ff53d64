#include "platform/system/file_text.h"

namespace ziq {

std::string utf8FromFileText(std::string text) {
    return text;
}

std::filesystem::path pathFromUtf8(const std::string& text) noexcept {
    try {
        return std::filesystem::path(std::u8string(text.begin(), text.end()));
    } catch (...) {
        return {}; // out of memory
    }
}

} // namespace ziq
