#include "profile/file_io.h"

#include "profile/file_io_detail.h"
#include "profile/profile_test_hooks.h"

#include <cerrno>
#include <chrono>
#include <functional>
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
    std::function<void()> pause;
};

IoHooks& hooks() {
    static IoHooks state;
    return state;
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

void pauseBeforeRetry() {
    if (hooks().pause) {
        hooks().pause();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000 / kBusyRetries));
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

void setRetryPause(std::function<void()> pause) {
    io::hooks().pause = std::move(pause);
}

void simulateTimestampGranularity(std::int64_t nanoseconds) {
    io::hooks().coarseNs = nanoseconds;
}

} // namespace ziq::profile::testing
