#include "profile/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ziq::profile {

namespace {

constexpr std::chrono::milliseconds kRetry(2);

} // namespace

FileLock FileLock::acquire(const std::filesystem::path& path, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (true) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            return FileLock(errno == ENOENT ? Status::Missing : Status::Failed, -1);
        }
        bool locked = false;
        while (!(locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0) && errno == EWOULDBLOCK &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kRetry);
        }
        struct stat held {};
        struct stat named {};
        if (!locked) {
            ::close(fd);
            return FileLock(Status::Failed, -1);
        }
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            return FileLock(Status::Held, fd);
        }
        // The holder replaced the file: ours is the old one now.
        ::close(fd);
        if (std::chrono::steady_clock::now() >= deadline) {
            return FileLock(Status::Failed, -1);
        }
    }
}

FileLock::FileLock(FileLock&& other) noexcept : status_(other.status_), handle_(other.handle_) {
    other.handle_ = -1;
}

FileLock::~FileLock() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_)); // releases the lock
    }
}

} // namespace ziq::profile
