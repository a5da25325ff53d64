#include "profile/file_scan.h"

#include <algorithm>
#include <array>
#include <vector>

namespace ziq::profile {

namespace {
constexpr std::size_t kChunk = 256 * 1024;
}

bool byteOrderMarkLength(io::File& file, std::uint64_t size, std::uint64_t& length) {
    length = 0;
    if (size < 3) {
        return true;
    }
    std::array<char, 3> head{};
    std::size_t got = 0;
    if (!file.readAt(0, head.data(), head.size(), got)) {
        return false;
    }
    if (got == 3 && std::string_view(head.data(), 3) == "\xEF\xBB\xBF") {
        length = 3;
    }
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
