#pragma once

#include "profile/file_io.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

// What file_io.cpp shares with the file of the platform the build picks (file_io_win.cpp or
// file_io_posix.cpp).
namespace ziq::profile::io {

inline constexpr std::int64_t kNsPerSecond = 1'000'000'000;

// Counts a file-system call; false when the test seam makes this one fail.
bool allowCall();
// A file that another program holds (antivirus, indexer, sync tool) is tried again after
// each of this many pauses, about a second in all.
inline constexpr int kBusyRetries = 20;
// Waits a twentieth of a second, or runs the test seam's pause instead.
void pauseBeforeRetry();
// Counted for the tests.
void countBytesRead(std::uint64_t bytes);
void countBytesWritten(std::uint64_t bytes);
// Rounds file times down as a coarse file system would, when a test asks for it.
std::int64_t coarsened(std::int64_t ns);

// What a failed open's error number means; the platform's file adds its own numbers.
OpenStatus statusFromErrno(int error);
// Reads at most `room` bytes to `to`, the file's bytes from `done` on (counted from where the
// read started); returns how many, 0 at the end of the file, or -1 on an error.
using ReadChunk = std::function<std::int64_t(char* to, std::size_t room, std::size_t done)>;
// Reads chunk after chunk until `length` bytes are in `buffer` or the file ends; `got` says
// how many came. False on an error.
bool readChunks(char* buffer, std::size_t length, std::size_t& got, const ReadChunk& chunk);
// Writes all of `bytes` at `offset`.
bool writeAll(int handle, std::uint64_t offset, std::string_view bytes);

} // namespace ziq::profile::io
