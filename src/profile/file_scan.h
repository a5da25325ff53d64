#pragma once

#include <cstdint>
#include <string_view>

#include "profile/file_io.h"
#include "profile/line_scanner.h"

// Reads a file piece by piece into a line sink, and copies ranges of it.
namespace ziq::profile {

// 3 when the file starts with a UTF-8 byte-order mark, else 0.
bool byteOrderMarkLength(io::File& file, std::uint64_t size, std::uint64_t& length);

enum class ScanResult { Finished, Stopped, Failed };

// Lines of bytes [from, to), `from` being the start of a line.
ScanResult scanLines(io::File& file, std::uint64_t from, std::uint64_t to, LineSink& sink);

// Receives the bytes a rewrite produces, in order.
class ByteSink {
public:
    virtual bool onBytes(std::string_view bytes) = 0;

protected:
    ~ByteSink() = default;
};

bool copyRange(io::File& file, std::uint64_t from, std::uint64_t to, ByteSink& sink);

} // namespace ziq::profile
