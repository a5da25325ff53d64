#include "settings/read_ini_value.h"

#include "platform/profile/profile_file.h"
#include "settings/settings_paths.h"

namespace ziq {

namespace {
constexpr std::size_t kBufferSize = 128;

// A cut at a byte count may split a UTF-8 character; drop the broken tail.
void dropPartialUtf8Tail(std::string& text) {
    std::size_t lead = text.size();
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
        --lead;
    }
    if (lead == 0) {
        return;
    }
    const auto first = static_cast<unsigned char>(text[lead - 1]);
    const std::size_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (text.size() - (lead - 1) < need) {
        text.resize(lead - 1);
    }
}
} // namespace

std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& path) {
    std::string value = profile::readString(section, key, "", kBufferSize - 1, filePath(path));
    if (value.size() == kBufferSize - 2) {
        dropPartialUtf8Tail(value);
    }
    return value;
}

} // namespace ziq
