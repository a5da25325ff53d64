#include "platform/system/file_text.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>

namespace ziq {

namespace {

// The text in UTF-16, read in `codePage`; false when it is not valid there.
bool wideFrom(const std::string& text, UINT codePage, std::wstring& wide) {
    wide.clear();
    if (text.empty()) {
        return true;
    }
    if (text.size() > INT_MAX) {
        return false;
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(needed));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                               needed) == needed;
}

bool wideFromFileText(const std::string& text, std::wstring& wide) {
    return wideFrom(text, CP_UTF8, wide) || wideFrom(text, CP_ACP, wide);
}

} // namespace

std::string utf8FromFileText(std::string text) {
    std::wstring wide;
    if (wideFrom(text, CP_UTF8, wide) || !wideFrom(text, CP_ACP, wide)) {
        return text; // UTF-8 already, or no ANSI text either: the bytes as they are
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return text;
    }
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

std::filesystem::path pathFromUtf8(const std::string& text) noexcept {
    try {
        std::wstring wide;
        return wideFromFileText(text, wide) ? std::filesystem::path(std::move(wide))
                                            : std::filesystem::path();
    } catch (...) {
        return {}; // out of memory
    }
}

} // namespace ziq
