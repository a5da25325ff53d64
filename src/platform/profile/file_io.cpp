#include "platform/profile/file_io.h"

#include "platform/profile/file_io_detail.h"
#include "platform/profile/profile_test_hooks.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

namespace ziq::profile::io {

namespace {

// Test seam state. The module runs on one thread at a time (its entry points hold one lock),
// so plain fields do.
struct IoHooks {
    testing::IoCounters counters;
    std::uint64_t failAt = 0;
    bool failLater = false;
    bool fired = false;
    std::int64_t coarseNs = 0;
};

IoHooks& hooks() {
    static IoHooks state;
    return state;
}

// A change made this long after a file's times is sure to change them.
std::int64_t granularityNs(const FileStamp& stamp) {
    if (hooks().coarseNs > 0) {
        return hooks().coarseNs + clockTickNs();
    }
    // Whole-second times on both counts mean a coarse file system (FAT keeps 2 s).
    if (stamp.modifiedNs % kNsPerSecond == 0 && stamp.changedNs % kNsPerSecond == 0) {
        return 2 * kNsPerSecond + clockTickNs();
    }
    return clockTickNs();
}

} // namespace

bool allowCall() {
    IoHooks& state = hooks();
    ++state.counters.calls;
    if (state.failAt != 0 && (state.counters.calls == state.failAt ||
                              (state.failLater && state.counters.calls > state.failAt))) {
        state.fired = true;
        return false;
    }
    return true;
}

void countBytesRead(std::uint64_t bytes) {
    hooks().counters.bytesRead += bytes;
}

void countBytesWritten(std::uint64_t bytes) {
    hooks().counters.bytesWritten += bytes;
}

std::int64_t coarsened(std::int64_t ns) {
    const std::int64_t step = hooks().coarseNs;
    return step > 0 ? ns - ns % step : ns;
}

bool stampSettled(const FileStamp& stamp) {
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    const std::int64_t latest = std::max(stamp.modifiedNs, stamp.changedNs);
    return now - latest > granularityNs(stamp);
}

void pauseBriefly() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::filesystem::path resolveLinks(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        const std::filesystem::path target = std::filesystem::canonical(path, error);
        if (!error) {
            return target;
        }
    }
    return path;
}

OpenStatus statusFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return OpenStatus::Missing;
    case EEXIST:
        return OpenStatus::Exists;
    case EACCES:
    case EPERM:
        return OpenStatus::Denied;
    default:
        return OpenStatus::Failed;
    }
}

bool readChunks(char* buffer, std::size_t length, std::size_t& got, const ReadChunk& chunk) {
    while (got < length) {
        const std::int64_t count = chunk(buffer + got, length - got, got);
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    countBytesRead(got);
    return true;
}

bool File::writeAt(std::uint64_t offset, std::string_view bytes) {
    if (!allowCall()) {
        writeAll(handle_, offset, bytes.substr(0, bytes.size() / 2));
        return false;
    }
    return writeAll(handle_, offset, bytes);
}

File::File(File&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (isOpen()) {
            close();
        }
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

} // namespace ziq::profile::io

namespace ziq::profile::testing {

IoCounters ioCounters() {
    return io::hooks().counters;
}

void resetIoCounters() {
    io::hooks().counters = IoCounters{};
}

void injectIoFailure(std::uint64_t n, FailureMode mode) {
    io::IoHooks& state = io::hooks();
    state.failAt = n == 0 ? 0 : state.counters.calls + n;
    state.failLater = mode == FailureMode::ThisCallAndAllLater;
    state.fired = false;
}

bool injectedFailureHappened() {
    return io::hooks().fired;
}

void simulateTimestampGranularity(std::int64_t nanoseconds) {
    io::hooks().coarseNs = nanoseconds;
}

} // namespace ziq::profile::testing
