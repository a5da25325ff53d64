#include "platform/profile/file_io.h"

#include <algorithm>
#include <system_error>

#include "platform/profile/profile_test_hooks.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

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

// Counts a file-system call; false when the test seam makes this one fail.
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

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

// Rounds file times down as a coarse file system would, when a test asks for it.
std::int64_t coarsened(std::int64_t ns) {
    const std::int64_t step = hooks().coarseNs;
    return step > 0 ? ns - ns % step : ns;
}

} // namespace

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

#ifdef _WIN32

namespace {

std::int64_t unixNs(LARGE_INTEGER fileTime) {
    // FILETIME counts 100 ns steps from 1601.
    constexpr std::int64_t kEpochDifference = 116444736000000000LL;
    return (fileTime.QuadPart - kEpochDifference) * 100;
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

int openHandle(const std::filesystem::path& path, int flags, int mode, OpenStatus& status) {
    int handle = -1;
    const errno_t error =
        _wsopen_s(&handle, path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, mode);
    if (error != 0) {
        status = statusFromErrno(error);
        return -1;
    }
    status = OpenStatus::Ok;
    return handle;
}

bool isRegular(int handle) {
    const auto native = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
    return GetFileType(native) == FILE_TYPE_DISK;
}

} // namespace

File::~File() {
    if (isOpen()) {
        _close(handle_);
    }
}

File File::openForReading(const std::filesystem::path& path, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    File file(openHandle(path, _O_RDONLY, 0, status));
    if (file.isOpen() && !isRegular(file.handle_)) {
        status = OpenStatus::Failed;
        return File();
    }
    return file;
}

File File::openForUpdate(const std::filesystem::path& path, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    File file(openHandle(path, _O_RDWR, 0, status));
    if (file.isOpen() && !isRegular(file.handle_)) {
        status = OpenStatus::Failed;
        return File();
    }
    return file;
}

File File::createNew(const std::filesystem::path& path, std::uint32_t, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    return File(openHandle(path, _O_RDWR | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE, status));
}

bool File::stamp(FileStamp& out) const {
    if (!allowCall()) {
        return false;
    }
    const auto native = reinterpret_cast<HANDLE>(_get_osfhandle(handle_));
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandle(native, &info) ||
        !GetFileInformationByHandleEx(native, FileBasicInfo, &basic, sizeof basic)) {
        return false;
    }
    out = FileStamp{};
    out.device = info.dwVolumeSerialNumber;
    out.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    out.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    out.modifiedNs = coarsened(unixNs(basic.LastWriteTime));
    out.changedNs = coarsened(unixNs(basic.ChangeTime));
    return true;
}

bool File::readAt(std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) {
    got = 0;
    if (!allowCall() || _lseeki64(handle_, static_cast<__int64>(offset), SEEK_SET) < 0) {
        return false;
    }
    while (got < length) {
        const auto step = static_cast<unsigned>(std::min<std::size_t>(length - got, 1U << 30));
        const int count = _read(handle_, buffer + got, step);
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    hooks().counters.bytesRead += got;
    return true;
}

namespace {

bool writeAll(int handle, std::uint64_t offset, std::string_view bytes) {
    if (_lseeki64(handle, static_cast<__int64>(offset), SEEK_SET) < 0) {
        return false;
    }
    while (!bytes.empty()) {
        const auto step = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1U << 30));
        const int count = _write(handle, bytes.data(), step);
        if (count <= 0) {
            return false;
        }
        hooks().counters.bytesWritten += static_cast<std::uint64_t>(count);
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

} // namespace

bool File::writeAt(std::uint64_t offset, std::string_view bytes) {
    if (!allowCall()) {
        writeAll(handle_, offset, bytes.substr(0, bytes.size() / 2));
        return false;
    }
    return writeAll(handle_, offset, bytes);
}

bool File::truncate(std::uint64_t size) {
    return allowCall() && _chsize_s(handle_, static_cast<__int64>(size)) == 0;
}

bool File::sync() {
    return allowCall() && _commit(handle_) == 0;
}

bool File::flushData() {
    return sync(); // FlushFileBuffers: Windows has no cheaper kind
}

bool File::takePermissions(const FileStamp&) {
    return allowCall();
}

bool File::close() {
    const bool allowed = allowCall();
    const int result = _close(handle_);
    handle_ = -1;
    return allowed && result == 0;
}

bool stampOf(const std::filesystem::path& path, FileStamp& out) {
    OpenStatus status = OpenStatus::Ok;
    const File file = File::openForReading(path, status);
    return file.isOpen() && file.stamp(out);
}

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return allowCall() && MoveFileExW(from.c_str(), to.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

PublishStatus publishNewFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!allowCall()) {
        return PublishStatus::Failed;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
        return PublishStatus::Done;
    }
    const DWORD error = GetLastError();
    return (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) ? PublishStatus::Exists
                                                                         : PublishStatus::Failed;
}

bool removeFile(const std::filesystem::path& path) {
    return allowCall() && DeleteFileW(path.c_str()) != 0;
}

void syncFolder(const std::filesystem::path&) {
    // MOVEFILE_WRITE_THROUGH already made the rename durable.
}

bool folderWritable(const std::filesystem::path&) {
    // The read-only attribute of a folder does not stop writes on Windows; creating the
    // temporary file is the real test.
    return allowCall();
}

#else // POSIX

namespace {

OpenStatus statusFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return OpenStatus::Missing;
    case EEXIST:
        return OpenStatus::Exists;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return OpenStatus::Denied;
    default:
        return OpenStatus::Failed;
    }
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
        status = statusFromErrno(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(handle);
        status = OpenStatus::Failed;
        return -1;
    }
    status = OpenStatus::Ok;
    return handle;
}

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
        hooks().counters.bytesWritten += static_cast<std::uint64_t>(count);
        bytes.remove_prefix(static_cast<std::size_t>(count));
        offset += static_cast<std::uint64_t>(count);
    }
    return true;
}

} // namespace

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

File File::createNew(const std::filesystem::path& path, std::uint32_t mode, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    const int handle = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                              static_cast<mode_t>(mode));
    status = handle < 0 ? statusFromErrno(errno) : OpenStatus::Ok;
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
    while (got < length) {
        const ssize_t count =
            ::pread(handle_, buffer + got, length - got, static_cast<off_t>(offset + got));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    hooks().counters.bytesRead += got;
    return true;
}

bool File::writeAt(std::uint64_t offset, std::string_view bytes) {
    if (!allowCall()) {
        writeAll(handle_, offset, bytes.substr(0, bytes.size() / 2));
        return false;
    }
    return writeAll(handle_, offset, bytes);
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

#endif

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
