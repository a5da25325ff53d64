#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

// The module's only contact with the file system, one small helper per operation, so that
// the platform differences live in file_io_win.cpp and file_io_posix.cpp and every call passes
// the test seams.
namespace ziq::profile::io {

// Identity and state of a file. Different stamps mean a different or changed file; equal ones
// do not prove the contrary, since a change within one tick of the file system's clock may
// leave the times as they were.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint32_t mode = 0; // permission bits, POSIX only
    std::uint32_t owner = 0;
    std::uint32_t group = 0;

    bool sameFile(const FileStamp& other) const {
        return device == other.device && inode == other.inode;
    }
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// NotAFile: a folder (or a device) has the name.
enum class OpenStatus { Ok, Missing, Exists, Denied, NotAFile, Failed };

// Who may use a new file. `mode` is for POSIX, less the umask. A new file on Windows takes
// its folder's rights, which may let other users in (C:\Tools); `ownerOnly` gives it a
// protected ACL for its owner, SYSTEM and the Administrators instead.
struct NewFileRights {
    std::uint32_t mode = 0666;
    bool ownerOnly = false;
};

class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();

    static File openForReading(const std::filesystem::path& path, OpenStatus& status);
    // Read and write access to an existing regular file. Both opens try again for about a
    // second while another program holds the file without sharing it (Windows).
    static File openForUpdate(const std::filesystem::path& path, OpenStatus& status);
    // A new file; fails with Exists when the name is taken.
    static File createNew(const std::filesystem::path& path, NewFileRights rights,
                          OpenStatus& status);

    bool isOpen() const { return handle_ >= 0; }
    bool stamp(FileStamp& out) const;
    // Fewer than `length` bytes come back only at the end of the file.
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got);
    bool writeAt(std::uint64_t offset, std::string_view bytes);
    bool truncate(std::uint64_t size);
    bool sync();
    // Makes the written bytes durable (fdatasync): cheaper than sync(), which also flushes
    // times that do not matter after a power cut.
    bool flushData();
    // The permission bits (and, where allowed, the owner) of the file `from` describes.
    bool takePermissions(const FileStamp& from);
    bool close();

private:
    explicit File(int handle) : handle_(handle) {}
    int handle_ = -1;
};

bool stampOf(const std::filesystem::path& path, FileStamp& out);
// Atomically puts `from` in the place of `to`, replacing it; `to` keeps its rights and
// attributes. Tried again for about a second while another program holds `to` (Windows).
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
enum class PublishStatus { Done, Exists, Failed };
// Atomically gives `from` the name `to`, unless `to` exists.
PublishStatus publishNewFile(const std::filesystem::path& from, const std::filesystem::path& to);
bool removeFile(const std::filesystem::path& path);
// Makes a rename in `folder` durable; best effort.
void syncFolder(const std::filesystem::path& folder);
bool folderWritable(const std::filesystem::path& folder);
// The file a symbolic link leads to, so a rewrite replaces the file, not the link.
std::filesystem::path resolveLinks(const std::filesystem::path& path);

} // namespace ziq::profile::io
