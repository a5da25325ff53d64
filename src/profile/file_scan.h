#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "profile/file_io.h"
#include "profile/line_scanner.h"

// Reads a file piece by piece into a line sink, and copies ranges of it.
namespace ziq::profile {

// How the file's text starts: `length` is 3 after a UTF-8 byte-order mark, 2 after the
// UTF-16 one (utf16_text.h), else 0.
struct ByteOrderMark {
    std::uint64_t length = 0;
    bool utf16 = false;
};
bool readByteOrderMark(io::File& file, std::uint64_t size, ByteOrderMark& mark);

// The text of a UTF-16 file, [2, size), as UTF-8.
bool readUtf16Text(io::File& file, std::uint64_t size, std::string& text);

enum class ScanResult { Finished, Stopped, Failed };

// Lines of bytes [from, to), `from` being the start of a line.
ScanResult scanLines(io::File& file, std::uint64_t from, std::uint64_t to, LineSink& sink);
// Lines of a text in memory; offsets count from its start.
void scanText(std::string_view text, LineSink& sink);

// Receives the bytes a rewrite produces, in order.
class ByteSink {
public:
    virtual bool onBytes(std::string_view bytes) = 0;

protected:
    ~ByteSink() = default;
};

bool copyRange(io::File& file, std::uint64_t from, std::uint64_t to, ByteSink& sink);

} // namespace ziq::profile
