#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Profile-format files (settings and logs), read and written one key at a time with
// the observable rules of the Windows profile-string functions.
namespace ziq::profile {

enum class NewFileAccess {
    Default,   // a new file gets the process's usual permissions (umask; the folder's on Windows)
    OwnerOnly, // a new file is readable and writable by its owner only (logs hold private data)
    // The usual permissions on POSIX, where the umask keeps other users from changing it; owner
    // only on Windows, where the folder's rights may let every user change it (settings).
    NotChangedByOthers,
};

// What a read found of its file.
enum class FileState {
    Read,
    Missing,    // no file by that name (or a folder): nothing to read
    Unreadable, // a file is there but could not be read (held by another program past the
                // retries, no right to read it, an I/O error)
};

// Reads the value of `key` in `section`. At most capacity - 1 characters come back (a value
// that does not fit is cut); a missing file, section or key gives `defaultValue` (trailing
// spaces removed) under the same rule. capacity 0 gives an empty string.
std::string readString(std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t capacity,
                       const std::filesystem::path& file);
std::string readString(std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t capacity,
                       const std::filesystem::path& file, FileState& state);

// Writes `value` as given under `key` in `section`, creating the file and the section when
// missing. Returns true on success; on any failure the file is left as it was.
bool writeString(std::string_view section, std::string_view key, std::string_view value,
                 const std::filesystem::path& file, NewFileAccess access = NewFileAccess::Default);

// Takes bytes [from, to) out of `file`, as crash-safe as every rewrite (a new file that
// replaces it, its permissions kept). Fails, leaving the file as it was, when its size is no
// longer `expectedSize` or it changes meanwhile. The caller holds the file's FileLock.
bool removeBytes(const std::filesystem::path& file, std::uint64_t from, std::uint64_t to,
                 std::uint64_t expectedSize);

} // namespace ziq::profile
