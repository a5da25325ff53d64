#include "platform/system/registry.h"

#include <cstdlib>

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

std::string expandEnvironmentStrings(const std::string& text) {
    std::string expanded;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        const std::size_t close =
            open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) {
            break;
        }
        expanded.append(text, at, open - at);
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        expanded += value != nullptr ? std::string(value) : "%" + name + "%";
        at = close + 1;
    }
    expanded.append(text, at, std::string::npos);
    return expanded;
}

} // namespace ziq
