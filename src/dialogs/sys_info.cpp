#include "dialogs/sys_info.h"

#include "platform/system/file_lookup.h"
#include "platform/system/app_info.h"
#include "platform/system/registry.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace ziq {

namespace {
// Every key-specific right is asked for first. A standard user gets no write rights under
// HKEY_LOCAL_MACHINE, so a refused open is tried again with read rights, all a lookup needs.
constexpr std::uint32_t kKeyAllAccess = 0x2003F;
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::size_t kValueRoom = 1024;

const std::string kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kSysInfoValue = "PATH";
const std::string kSharedToolsKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kSharedToolsValue = "MSINFO";
const std::string kSysInfoProgram = "MSINFO32.EXE";

class OpenKey final {
public:
    OpenKey(Registry& registry, RegistryKey key) : registry_(registry), key_(key) {}
    ~OpenKey() { registry_.closeKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

private:
    Registry& registry_;
    RegistryKey key_;
};

std::string textOf(const std::byte* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // A text value ends at its first zero, whatever the writer left after it.
    if (const std::size_t end = text.find('\0'); end != std::string::npos) {
        text.resize(end);
    }
    return text;
}

std::string numberText(const std::byte* data, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = std::min<std::size_t>(size, 4); i > 0; --i) {
        value = (value << 8) | std::to_integer<std::uint32_t>(data[i - 1]);
    }
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "&h" + digits;
}
} // namespace

bool GetKeyValue(Registry& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    RegistryKey key{};
    RegistryStatus opened = registry.openKey(KeyRoot, KeyName, 0, kKeyAllAccess, key);
    if (opened == RegistryStatus::AccessDenied) {
        opened = registry.openKey(KeyRoot, KeyName, 0, kKeyRead, key);
    }
    if (opened != RegistryStatus::Success) {
        KeyVal.clear();
        return false;
    }
    const OpenKey closer(registry, key);

    std::array<std::byte, kValueRoom> buffer{};
    std::uint32_t size = kValueRoom;
    std::uint32_t type = 0;
    if (registry.queryValue(key, SubKeyRef, type, buffer, size) != RegistryStatus::Success ||
        size > kValueRoom) {
        KeyVal.clear();
        return false;
    }
    std::size_t kept = size;
    if (kept > 0 && buffer[kept - 1] == std::byte{0}) {
        --kept;
    }
    if (type == kRegSz) {
        KeyVal = textOf(buffer.data(), kept);
    } else if (type == kRegExpandSz) {
        // Windows may hold the tool's path as %SystemRoot%\System32\msinfo32.exe.
        KeyVal = expandEnvironmentStrings(textOf(buffer.data(), kept));
    } else if (type == kRegDword) {
        KeyVal = numberText(buffer.data(), kept);
    }
    return true;
}

std::optional<std::string> sysInfoToolPath(Registry& registry, std::string_view searchPath) {
    std::string path;
    if (GetKeyValue(registry, kHkeyLocalMachine, kSysInfoKey, kSysInfoValue, path)) {
        return path;
    }
    std::string folder;
    if (GetKeyValue(registry, kHkeyLocalMachine, kSharedToolsKey, kSharedToolsValue, folder)) {
        if (folder.empty()) {
            return std::nullopt;
        }
        std::string program = joinProgramPath(folder, kSysInfoProgram);
        if (isNormalFile(program)) {
            return program;
        }
        return std::nullopt;
    }
    return findOnSearchPath(sysInfoPrograms(), searchPath);
}

bool startSysInfoTool(Registry& registry, std::string_view searchPath, const StartProgram& start) {
    const std::optional<std::string> path = sysInfoToolPath(registry, searchPath);
    // An empty path would leave the choice of program to whatever starts it.
    return path.has_value() && !path->empty() && start(*path);
}

} // namespace ziq
