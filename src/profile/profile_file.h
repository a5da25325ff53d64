#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Profile-format files (settings and logs), read and written one key at a time with
// the observable rules of the Windows profile-string functions.
namespace ziq::profile {

enum class NewFileAccess {
    Default,   // a new file gets the process's usual permissions (umask)
    OwnerOnly, // a new file is readable and writable by its owner only (logs hold private data)
};

// Reads the value of `key` in `section`. At most capacity - 1 characters come back (a value
// that does not fit is cut); a missing file, section or key gives `defaultValue` (trailing
// spaces removed) under the same rule. capacity 0 gives an empty string.
std::string readString(std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t capacity,
                       const std::filesystem::path& file);

// Writes `value` as given under `key` in `section`, creating the file and the section when
// missing. Returns true on success; on any failure the file is left as it was.
bool writeString(std::string_view section, std::string_view key, std::string_view value,
                 const std::filesystem::path& file, NewFileAccess access = NewFileAccess::Default);

} // namespace ziq::profile
