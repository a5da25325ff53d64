#include "platform/clipboard/pipe_io.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace ziq {

namespace {

// Waits until `fd` is ready for `events`; false at the deadline or on an error.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, int(std::min<long long>(left.count(), 60000)));
        if (ready > 0) {
            return true; // readable, or hung up: the read or write tells which
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

// Blocks SIGPIPE while alive; a SIGPIPE raised meanwhile is taken in before it is let through.
class SigpipeBlock {
public:
    SigpipeBlock() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
        blocked_ = pthread_sigmask(SIG_BLOCK, &pipe_, &old_) == 0;
    }
    ~SigpipeBlock() {
        if (!blocked_) {
            return;
        }
        if (raised_ && !alreadyPending_) {
            const timespec now{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;
    void raised() { raised_ = true; }

private:
    sigset_t pipe_{};
    sigset_t old_{};
    bool blocked_ = false;
    bool alreadyPending_ = false;
    bool raised_ = false;
};

} // namespace

PipeRead readPipe(int fd, std::size_t maxBytes, std::chrono::steady_clock::time_point deadline) {
    PipeRead result;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        return result;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            result.status = PipeRead::Status::Complete;
            return result;
        }
        if (got > 0) {
            if (result.bytes.size() + std::size_t(got) > maxBytes) {
                result.bytes.clear();
                result.status = PipeRead::Status::TooLarge;
                return result;
            }
            result.bytes.append(buffer, std::size_t(got));
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN || !waitFor(fd, POLLIN, deadline)) {
            result.bytes.clear();
            return result;
        }
    }
}

std::optional<std::size_t> writeAvailable(int fd, std::string_view bytes) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        return std::nullopt;
    }
    SigpipeBlock block;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put > 0) {
            written += std::size_t(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else if (put < 0 && errno == EAGAIN) {
            break;
        } else {
            if (put < 0 && errno == EPIPE) {
                block.raised();
            }
            return std::nullopt;
        }
    }
    return written;
}

bool writePipe(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const std::optional<std::size_t> written = writeAvailable(fd, bytes);
        if (!written) {
            return false;
        }
        bytes.remove_prefix(*written);
        if (bytes.empty()) {
            return true;
        }
        if (!waitFor(fd, POLLOUT, deadline)) {
            return false;
        }
    }
}

} // namespace ziq
