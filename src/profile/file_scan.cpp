#include "profile/file_scan.h"

#include "profile/utf16_text.h"

#include <algorithm>
#include <array>
#include <vector>

namespace ziq::profile {

namespace {
constexpr std::size_t kChunk = 256 * 1024;
}

bool readByteOrderMark(io::File& file, std::uint64_t size, ByteOrderMark& mark) {
    mark = ByteOrderMark{};
    if (size < kUtf16Mark.size()) {
        return true;
    }
    std::array<char, 3> head{};
    std::size_t got = 0;
    if (!file.readAt(0, head.data(), std::min<std::uint64_t>(size, head.size()), got)) {
        return false;
    }
    const std::string_view start(head.data(), got);
    if (start == "\xEF\xBB\xBF") {
        mark.length = 3;
    } else if (start.starts_with(kUtf16Mark)) {
        mark.length = kUtf16Mark.size();
        mark.utf16 = true;
    }
    return true;
}

bool readUtf16Text(io::File& file, std::uint64_t size, std::string& text) {
    std::string bytes(static_cast<std::size_t>(size - kUtf16Mark.size()), '\0');
    std::size_t got = 0;
    if (!file.readAt(kUtf16Mark.size(), bytes.data(), bytes.size(), got) || got != bytes.size()) {
        return false;
    }
    text = utf8FromUtf16(bytes);
    return true;
}

ScanResult scanLines(io::File& file, std::uint64_t from, std::uint64_t to, LineSink& sink) {
    LineScanner scanner(from);
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to - from)));
    std::uint64_t offset = from;
    while (offset < to) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to - offset));
        std::size_t got = 0;
        if (!file.readAt(offset, buffer.data(), wanted, got) || got != wanted) {
            return ScanResult::Failed; // an error, or the file shrank under us
        }
        offset += got;
        if (!scanner.feed(std::string_view(buffer.data(), got), sink)) {
            return ScanResult::Stopped;
        }
    }
    return scanner.finish(sink) ? ScanResult::Finished : ScanResult::Stopped;
}

void scanText(std::string_view text, LineSink& sink) {
    LineScanner scanner;
    if (scanner.feed(text, sink)) {
        scanner.finish(sink);
    }
}

bool copyRange(io::File& file, std::uint64_t from, std::uint64_t to, ByteSink& sink) {
    std::vector<char> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to > from ? to - from : 0)));
    while (from < to) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to - from));
        std::size_t got = 0;
        if (!file.readAt(from, buffer.data(), wanted, got) || got != wanted) {
            return false;
        }
        if (!sink.onBytes(std::string_view(buffer.data(), got))) {
            return false;
        }
        from += got;
    }
    return true;
}

} // namespace ziq::profile
