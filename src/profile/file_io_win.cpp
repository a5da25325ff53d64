#include "profile/file_io.h"

#include "profile/file_io_detail.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

namespace ziq::profile::io {

namespace {

std::int64_t unixNs(LARGE_INTEGER fileTime) {
    // FILETIME counts 100 ns steps from 1601.
    constexpr std::int64_t kEpochDifference = 116444736000000000LL;
    return (fileTime.QuadPart - kEpochDifference) * 100;
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
    return readChunks(
        buffer, length, got, [this](char* to, std::size_t room, std::size_t) -> std::int64_t {
            const auto step = static_cast<unsigned>(std::min<std::size_t>(room, 1U << 30));
            return _read(handle_, to, step);
        });
}

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
        countBytesWritten(static_cast<std::uint64_t>(count));
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
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

} // namespace ziq::profile::io
