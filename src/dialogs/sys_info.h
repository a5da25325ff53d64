#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ziq {

class Registry;

inline constexpr std::string_view kSysInfoUnavailable =
    "System Information Is Unavailable At This Time";

// Reads one registry value as text. True when the value was read: text gives its text
// (expandable text with its %VARIABLES% expanded), a 32-bit number "&h" and its hexadecimal digits,
// any other type leaves KeyVal as it was. False, with KeyVal empty, when the key or the value is
// missing, unreadable or longer than 1024 bytes.
bool GetKeyValue(Registry& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

// Where the system information tool is. The registry is asked first; when it knows nothing of
// the tool, the first known program found on `searchPath` is taken. Empty when the registry
// names the tool by a value of an unusable type.
std::optional<std::string> sysInfoToolPath(Registry& registry, std::string_view searchPath);

// Starts a program by its path without waiting; false when it could not be started.
using StartProgram = std::function<bool(const std::string& path)>;

// False when there is no system information tool or it would not start.
bool startSysInfoTool(Registry& registry, std::string_view searchPath, const StartProgram& start);

} // namespace ziq
