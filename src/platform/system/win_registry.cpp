#include "platform/system/registry.h"

#include <windows.h>

#include <algorithm>

namespace ziq {

namespace {
RegistryStatus statusOf(LSTATUS result) {
    switch (result) {
    case ERROR_SUCCESS:
        return RegistryStatus::Success;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return RegistryStatus::NotFound;
    case ERROR_ACCESS_DENIED:
        return RegistryStatus::AccessDenied;
    case ERROR_MORE_DATA:
        return RegistryStatus::MoreData;
    default:
        return RegistryStatus::Failed;
    }
}

// The predefined root keys are 32-bit values sign-extended to a handle.
HKEY rootHandle(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}
} // namespace

RegistryStatus SystemRegistry::openKey(std::uint32_t root, const std::string& subKey,
                                       std::uint32_t options, std::uint32_t accessMask,
                                       RegistryKey& key) {
    HKEY opened = nullptr;
    const LSTATUS result = RegOpenKeyExA(rootHandle(root), subKey.c_str(), options,
                                         static_cast<REGSAM>(accessMask), &opened);
    if (result == ERROR_SUCCESS) {
        key = reinterpret_cast<RegistryKey>(opened);
    }
    return statusOf(result);
}

RegistryStatus SystemRegistry::queryValue(RegistryKey key, const std::string& valueName,
                                          std::uint32_t& type, std::span<std::byte> data,
                                          std::uint32_t& size) {
    DWORD valueType = 0;
    DWORD valueSize = static_cast<DWORD>(std::min<std::size_t>(size, data.size()));
    const LSTATUS result =
        RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(), nullptr, &valueType,
                         reinterpret_cast<LPBYTE>(data.data()), &valueSize);
    type = valueType;
    size = valueSize;
    return statusOf(result);
}

void SystemRegistry::closeKey(RegistryKey key) {
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

std::string expandEnvironmentStrings(const std::string& text) {
    std::string expanded(std::max<std::size_t>(text.size() + 1, 256), '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        // The count includes the terminating zero; more than the room means: try with that.
        const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), expanded.data(),
                                                       static_cast<DWORD>(expanded.size()));
        if (needed == 0) {
            return text;
        }
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);
            return expanded;
        }
        expanded.resize(needed);
    }
    return text;
}

} // namespace ziq
