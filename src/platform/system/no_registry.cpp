#include "platform/system/registry.h"

namespace ziq {

// No registry on this system: every key is missing, so readers fall back to their defaults.
RegistryStatus SystemRegistry::openKey(std::uint32_t, const std::string&, std::uint32_t,
                                       std::uint32_t, RegistryKey&) {
    return RegistryStatus::NotFound;
}

RegistryStatus SystemRegistry::queryValue(RegistryKey, const std::string&, std::uint32_t&,
                                          std::span<std::byte>, std::uint32_t&) {
    return RegistryStatus::NotFound;
}

void SystemRegistry::closeKey(RegistryKey) {}

} // namespace ziq
