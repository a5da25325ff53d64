#include "profile/file_io.h"

#include "profile/file_io_detail.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>
#include <fcntl.h>
#include <io.h>

namespace ziq::profile::io {

namespace {

std::int64_t unixNs(LARGE_INTEGER fileTime) {
    // FILETIME counts 100 ns steps from 1601.
    constexpr std::int64_t kEpochDifference = 116444736000000000LL;
    return (fileTime.QuadPart - kEpochDifference) * 100;
}

// Held by another program without sharing (antivirus, the search indexer, a sync tool):
// worth a second try in a moment.
bool heldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

OpenStatus statusFromError(DWORD error, const std::filesystem::path& path) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return OpenStatus::Missing;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return OpenStatus::Exists;
    case ERROR_ACCESS_DENIED: {
        // A folder cannot be opened as a file.
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? OpenStatus::NotAFile
                   : OpenStatus::Denied;
    }
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return OpenStatus::Denied;
    default:
        return OpenStatus::Failed;
    }
}

// A protected ACL for the user, SYSTEM and the Administrators: what mode 0600 is on POSIX.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            return;
        }
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        user_.resize(size);
        const bool haveUser =
            size != 0 && GetTokenInformation(token, TokenUser, user_.data(), size, &size);
        CloseHandle(token);
        DWORD systemSize = sizeof system_;
        DWORD adminsSize = sizeof admins_;
        if (!haveUser || !CreateWellKnownSid(WinLocalSystemSid, nullptr, system_, &systemSize) ||
            !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins_, &adminsSize)) {
            return;
        }
        PSID const sids[] = {reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid, system_,
                             admins_};
        DWORD aclSize = sizeof(ACL);
        for (PSID sid : sids) {
            aclSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
        }
        acl_.resize(aclSize);
        auto* acl = reinterpret_cast<ACL*>(acl_.data());
        if (!InitializeAcl(acl, aclSize, ACL_REVISION)) {
            return;
        }
        for (PSID sid : sids) {
            if (!AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid)) {
                return;
            }
        }
        ready_ = InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
                 SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
    }
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    // Null when the ACL could not be built: then the file is not created at all.
    SECURITY_ATTRIBUTES* attributes() { return ready_ ? &attributes_ : nullptr; }

private:
    std::vector<BYTE> user_;
    BYTE system_[SECURITY_MAX_SID_SIZE]{};
    BYTE admins_[SECURITY_MAX_SID_SIZE]{};
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

int openHandle(const std::filesystem::path& path, DWORD access, DWORD disposition,
               SECURITY_ATTRIBUTES* security, OpenStatus& status) {
    for (int pauses = 0;; ++pauses) {
        const HANDLE native = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (native != INVALID_HANDLE_VALUE) {
            const int flags = access == GENERIC_READ ? _O_RDONLY : _O_RDWR;
            const int handle = _open_osfhandle(reinterpret_cast<intptr_t>(native), flags);
            if (handle < 0) {
                CloseHandle(native);
                status = OpenStatus::Failed;
                return -1;
            }
            status = OpenStatus::Ok;
            return handle;
        }
        const DWORD error = GetLastError();
        if (!heldByAnother(error) || pauses == kBusyRetries) {
            status = statusFromError(error, path);
            return -1;
        }
        pauseBeforeRetry();
    }
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
    File file(openHandle(path, GENERIC_READ, OPEN_EXISTING, nullptr, status));
    if (file.isOpen() && !isRegular(file.handle_)) {
        status = OpenStatus::NotAFile;
        return File();
    }
    return file;
}

File File::openForUpdate(const std::filesystem::path& path, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    File file(openHandle(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, nullptr, status));
    if (file.isOpen() && !isRegular(file.handle_)) {
        status = OpenStatus::NotAFile;
        return File();
    }
    return file;
}

File File::createNew(const std::filesystem::path& path, NewFileRights rights, OpenStatus& status) {
    if (!allowCall()) {
        status = OpenStatus::Failed;
        return File();
    }
    OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = nullptr;
    if (rights.ownerOnly) {
        security = ownerOnly.attributes();
        if (security == nullptr) {
            status = OpenStatus::Failed; // better no file than one that others may read
            return File();
        }
    }
    return File(openHandle(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW, security, status));
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
    if (!allowCall()) {
        return false;
    }
    // ReplaceFileW keeps them too, but not every implementation of it does (Wine).
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept) != 0) {
        SetFileAttributesW(from.c_str(), attributes & kKept);
    }
    for (int pauses = 0;; ++pauses) {
        // ReplaceFileW gives the new content the old file's ACL, owner and attributes, which
        // a rename would take from the temporary file.
        if (ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                         REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                         nullptr)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND &&
            GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
            // Gone meanwhile: nothing to keep.
            return MoveFileExW(from.c_str(), to.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }
        // Another program's handle on the old file makes it refuse (access denied, or it
        // could not be removed); a moment later the handle is usually gone.
        const bool busy = heldByAnother(error) || error == ERROR_ACCESS_DENIED ||
                          error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
                          error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        if (!busy || pauses == kBusyRetries) {
            return false;
        }
        pauseBeforeRetry();
    }
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
    // NTFS journals the rename; Windows offers no flush of a folder.
}

bool folderWritable(const std::filesystem::path&) {
    // The read-only attribute of a folder does not stop writes on Windows; creating the
    // temporary file is the real test.
    return allowCall();
}

} // namespace ziq::profile::io
