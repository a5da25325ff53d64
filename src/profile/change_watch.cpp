#include "profile/change_watch.h"

#include <cstdint>

#if defined(__linux__)
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace ziq::profile::io {

namespace {

bool& watchingOff() {
    static bool off = false;
    return off;
}

} // namespace

void setWatchingAllowed(bool allowed) {
    watchingOff() = !allowed;
}

bool watchingAllowed() {
    return !watchingOff();
}

#if !defined(_WIN32)

struct ChangeWatch::Folders {};

ChangeWatch::ChangeWatch() = default;

ChangeWatch::~ChangeWatch() {
    close();
}

bool ChangeWatch::reportsOwnWriteLate() {
    return false;
}

#endif

#if defined(__linux__)

namespace {
// Writes, truncation, attribute and time changes, renames and deletion of the file itself.
constexpr std::uint32_t kChanges = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
} // namespace

bool ChangeWatch::open() {
    if (handle_ >= 0 && owner_ == ::getpid()) {
        return true;
    }
    // A forked child got the parent's descriptor: reading it would steal the parent's notices.
    // Closing the child's copy leaves the parent's open.
    if (handle_ >= 0) {
        ::close(handle_);
    }
    handle_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    owner_ = ::getpid();
    return handle_ >= 0;
}

void ChangeWatch::close() {
    if (handle_ >= 0) {
        ::close(handle_);
    }
    handle_ = -1;
}

bool ChangeWatch::available() {
    return !watchingOff() && open();
}

int ChangeWatch::add(const std::filesystem::path& path) {
    if (!available()) {
        return -1;
    }
    return ::inotify_add_watch(handle_, path.c_str(), kChanges);
}

void ChangeWatch::remove(int id) {
    // In a forked child the descriptor still reaches the parent's watches.
    if (id >= 0 && handle_ >= 0 && owner_ == ::getpid()) {
        ::inotify_rm_watch(handle_, id);
    }
}

ChangeWatch::Notices ChangeWatch::collect() {
    Notices notices;
    if (handle_ < 0) {
        return notices;
    }
    if (owner_ != ::getpid()) {
        // The watches were the parent's; this process starts afresh.
        notices.lost = true;
        open();
        return notices;
    }
    alignas(inotify_event) char buffer[16 * 1024];
    while (true) {
        const ssize_t got = ::read(handle_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got < 0 && errno != EAGAIN) {
                notices.lost = true; // cannot tell what happened: trust nothing
            }
            return notices;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                notices.lost = true;
            } else {
                notices.changed.push_back(event->wd);
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

#elif !defined(_WIN32)

bool ChangeWatch::open() {
    return false;
}

void ChangeWatch::close() {}

bool ChangeWatch::available() {
    return false;
}

int ChangeWatch::add(const std::filesystem::path&) {
    return -1;
}

void ChangeWatch::remove(int) {}

ChangeWatch::Notices ChangeWatch::collect() {
    return {};
}

#endif

} // namespace ziq::profile::io
