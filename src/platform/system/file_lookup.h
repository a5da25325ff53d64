#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ziq {

// Between the folders of the PATH variable.
extern const char kSearchPathSeparator;

// An ordinary file: not a folder, and on Windows not hidden or a system file either.
bool isNormalFile(const std::string& path);

// An ordinary file that this user may run.
bool isExecutableFile(const std::string& path);

// The first of `names` that is an executable file in a folder of `searchPath` (folders
// separated as in the PATH variable). Only absolute folders are searched, so nothing is ever
// started from whatever the working folder happens to be.
std::optional<std::string> findOnSearchPath(std::span<const std::string_view> names,
                                            std::string_view searchPath);

// The PATH variable of this process, empty when it has none.
std::string currentSearchPath();

// Programs that show a summary of the system, looked for when the registry names none.
std::span<const std::string_view> sysInfoPrograms();
// Where they are looked for: the PATH; on Windows the system folder (System32), which holds
// msinfo32.exe whatever the PATH says.
std::string sysInfoSearchPath();

} // namespace ziq
