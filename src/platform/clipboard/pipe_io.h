#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ziq {

// Moving clipboard content through the pipes that Wayland hands between programs. The other
// end is a program we do not trust to answer: every wait ends at a deadline.
struct PipeRead {
    enum class Status { Complete, TooLarge, Failed };
    Status status = Status::Failed;
    std::string bytes;
};

// Reads `fd` to its end, taking at most `maxBytes`. Failed when the writer did not finish by
// `deadline` or the read went wrong. Does not close `fd`.
PipeRead readPipe(int fd, std::size_t maxBytes, std::chrono::steady_clock::time_point deadline);

// Writes what `fd` takes at once, without waiting: the number of bytes written (0 while the
// pipe is full), or nothing when the reader has gone or the write failed. Never raises SIGPIPE.
std::optional<std::size_t> writeAvailable(int fd, std::string_view bytes);

// Writes all of `bytes` to `fd` unless the reader stops reading, goes away, or `deadline`
// passes. Never raises SIGPIPE. Does not close `fd`.
bool writePipe(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline);

} // namespace ziq
