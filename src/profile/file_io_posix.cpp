#include "profile/file_io.h"

#include "profile/file_io_detail.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace ziq::profile::io {

namespace {

// A read-only file system and a program being run refuse a write like missing rights do.
// A file cannot be below a file: as missing as when the folder is.
OpenStatus statusFromPosixErrno(int error) {
    if (error == ENOTDIR) {
        return OpenStatus::Missing;
    }
    return error == EROFS || error == ETXTBSY ? OpenStatus::Denied : statusFromErrno(error);
}

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * kNsPerSecond + time.tv_nsec;
}

FileStamp stampFrom(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
#if defined(__APPLE__)
    stamp.modifiedNs = coarsened(nanoseconds(info.st_mtimespec));
    stamp.changedNs = coarsened(nanoseconds(info.st_ctimespec));
#else
    stamp.modifiedNs = coarsened(nanoseconds(info.st_mtim));
    stamp.changedNs = coarsened(nanoseconds(info.st_ctim));
#endif
    stamp.mode = static_cast<std::uint32_t>(info.st_mode & 07777);
    stamp.owner = static_cast<std::uint32_t>(info.st_uid);
    stamp.group = static_cast<std::uint32_t>(info.st_gid);
    return stamp;
}

int openRegular(const std::filesystem::path& path, int flags, OpenStatus& status) {
    // O_NONBLOCK: a FIFO put in the file's place must not hang the program.
    int handle = -1;
    do {
        handle = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        status = statusFromPosixErrno(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool regular = ::fstat(handle, &info) != 0 || S_ISREG(info.st_mode);
        ::close(handle);
        status = regular ? OpenStatus::Failed : OpenStatus::NotAFile;
        return -1;
    }
    status = OpenStatus::Ok;
    return handle;
}

} // namespace

bool writeAll(int handle, std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count =
            ::pwrite(handle, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        countBytesWritten(static_cast<std::uint64_t>(count));
        bytes.remove_prefix(static_cast<std::size_t>(count));
        offset += static_cast<std::uint64_t>(count);
    }
    return true;
}

File::~File() {
    if (isOpen()) {
        ::close(handle_);
    }
}

File File::openForReading(const std::filesystem::path& path, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    return File(openRegular(path, O_RDONLY, status));
}

File File::openForUpdate(const std::filesystem::path& path, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    return File(openRegular(path, O_RDWR, status));
}

File File::createNew(const std::filesystem::path& path, NewFileRights rights, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    const int handle = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                              static_cast<mode_t>(rights.mode));
    status = handle < 0 ? statusFromPosixErrno(errno) : OpenStatus::Ok;
    return File(handle);
}

bool File::stamp(FileStamp& out) const {
    struct stat info {};
    if (!allowCall() || ::fstat(handle_, &info) != 0) {
        return false;
    }
    out = stampFrom(info);
    return true;
}

bool File::readAt(std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) {
    got = 0;
    if (!allowCall()) {
        return false;
    }
    return readChunks(buffer, length, got,
                      [this, offset](char* to, std::size_t room, std::size_t done) -> std::int64_t {
                          while (true) {
                              const ssize_t count =
                                  ::pread(handle_, to, room, static_cast<off_t>(offset + done));
                              if (count >= 0 || errno != EINTR) {
                                  return count;
                              }
                          }
                      });
}

bool File::truncate(std::uint64_t size) {
    return allowCall() && ::ftruncate(handle_, static_cast<off_t>(size)) == 0;
}

bool File::sync() {
    return allowCall() && ::fsync(handle_) == 0;
}

bool File::flushData() {
#if defined(__APPLE__)
    return allowCall() && ::fsync(handle_) == 0;
#else
    return allowCall() && ::fdatasync(handle_) == 0;
#endif
}

bool File::takePermissions(const FileStamp& from) {
    if (!allowCall()) {
        return false;
    }
    struct stat info {};
    if (::fstat(handle_, &info) == 0 && (info.st_uid != static_cast<uid_t>(from.owner) ||
                                         info.st_gid != static_cast<gid_t>(from.group))) {
        // Only a privileged process may give the file away; otherwise the writer owns it.
        [[maybe_unused]] const int ignored =
            ::fchown(handle_, static_cast<uid_t>(from.owner), static_cast<gid_t>(from.group));
    }
    return ::fchmod(handle_, static_cast<mode_t>(from.mode)) == 0;
}

bool File::close() {
    const bool allowed = allowCall();
    const int result = ::close(handle_);
    handle_ = -1;
    return allowed && result == 0;
}

bool stampOf(const std::filesystem::path& path, FileStamp& out) {
    struct stat info {};
    if (!allowCall() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    out = stampFrom(info);
    return true;
}

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return allowCall() && ::rename(from.c_str(), to.c_str()) == 0;
}

PublishStatus publishNewFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!allowCall()) {
        return PublishStatus::Failed;
    }
    // link() never replaces an existing name; it fails where hard links are unsupported.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return PublishStatus::Done;
    }
    if (errno == EEXIST) {
        return PublishStatus::Exists;
    }
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        return PublishStatus::Exists;
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? PublishStatus::Done : PublishStatus::Failed;
}

bool removeFile(const std::filesystem::path& path) {
    return allowCall() && ::unlink(path.c_str()) == 0;
}

void syncFolder(const std::filesystem::path& folder) {
    if (!allowCall()) {
        return;
    }
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
}

bool folderWritable(const std::filesystem::path& folder) {
    return allowCall() && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace ziq::profile::io
