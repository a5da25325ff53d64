#pragma once

#include "e2e/e2e_harness.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace ziq::e2e {

// How many kills and probes the reliability tests make: ZIQ_RELIABILITY_SCALE=4 makes a
// four times longer run than the default one that tools/test.sh makes.
inline int scaled(int count) {
    const char* scale = std::getenv("ZIQ_RELIABILITY_SCALE");
    const double factor = scale != nullptr ? std::atof(scale) : 1.0;
    return std::max(1, int(std::lround(count * (factor > 0 ? factor : 1.0))));
}

// Tells, as it happens, that a file in a folder was opened, created or written to.
class FolderWatch {
public:
    explicit FolderWatch(const std::filesystem::path& folder)
        : handle_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (handle_ >= 0) {
            ::inotify_add_watch(handle_, folder.c_str(), IN_OPEN | IN_CREATE | IN_MODIFY);
        }
    }
    ~FolderWatch() {
        if (handle_ >= 0) {
            ::close(handle_);
        }
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool ok() const { return handle_ >= 0; }

    // Forgets what happened so far.
    void drain() {
        while (next(std::chrono::milliseconds(0))) {
        }
    }

    // The name of the next file opened, created or written to; nothing once the time is up.
    std::optional<std::string> next(std::chrono::milliseconds timeout) {
        if (pending_.empty()) {
            pollfd wait{handle_, POLLIN, 0};
            if (::poll(&wait, 1, int(timeout.count())) <= 0) {
                return std::nullopt;
            }
            alignas(inotify_event) char buffer[8192];
            const ssize_t got = ::read(handle_, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                pending_.emplace_back(event->len > 0 ? event->name : "");
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
            if (pending_.empty()) {
                return std::nullopt;
            }
        }
        std::string name = pending_.front();
        pending_.erase(pending_.begin());
        return name;
    }

private:
    int handle_;
    std::vector<std::string> pending_;
};

// One line of a profile file, classified as the program's reader sees it.
struct ProfileLine {
    enum Kind { Header, Entry, Other } kind = Other;
    std::string name;
    std::string value;
};

inline std::vector<ProfileLine> profileLines(const std::string& bytes) {
    std::vector<ProfileLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const bool closed = end != std::string::npos;
        if (!closed) {
            end = bytes.size();
        }
        const std::string text = bytes.substr(start, end - start);
        ProfileLine line;
        if (!closed) {
            line.kind = ProfileLine::Other; // an entry cut short by a kill
        } else if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            line.kind = ProfileLine::Header;
            line.name = text.substr(1, text.size() - 2);
        } else if (const auto equals = text.find('='); equals != std::string::npos) {
            line.kind = ProfileLine::Entry;
            line.name = text.substr(0, equals);
            line.value = text.substr(equals + 1);
        }
        line.value.shrink_to_fit();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Opens the tray menu with a right click on the icon window.
inline void rightClick(const QString& window) {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("5"),
             QStringLiteral("5"), QStringLiteral("click"), QStringLiteral("3")});
}

// Starts the program and waits for its tray icon, its only window at first.
inline std::optional<QString> startToTray(RealProgram& program,
                                          std::chrono::milliseconds timeout = 10s) {
    program.start();
    QString icon;
    const bool docked = waitUntil(
        [&] {
            const QStringList windows = visibleWindowsOf(program.pid());
            icon = windows.isEmpty() ? QString() : windows.first();
            return windows.size() == 1;
        },
        timeout);
    return docked ? std::optional(icon) : std::nullopt;
}

} // namespace ziq::e2e
