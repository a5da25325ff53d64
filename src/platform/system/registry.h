#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ziq {

// Root keys keep their 32-bit registry values so callers can name them the usual way.
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002;

// Value types as the registry reports them.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2; // text naming %VARIABLES%
inline constexpr std::uint32_t kRegDword = 4;

// `text` with each %NAME% of a set environment variable replaced by its value, as Windows
// expands REG_EXPAND_SZ values; other % signs stay as written.
std::string expandEnvironmentStrings(const std::string& text);

enum class RegistryStatus { Success, NotFound, AccessDenied, MoreData, Failed };

// An open key; only the registry that opened it knows what it stands for.
using RegistryKey = std::uintptr_t;

// Read-only access to the system registry (Windows); elsewhere there is none.
class Registry {
public:
    virtual ~Registry() = default;
    // On success `key` holds a key that must be given back to closeKey.
    virtual RegistryStatus openKey(std::uint32_t root, const std::string& subKey,
                                   std::uint32_t options, std::uint32_t accessMask,
                                   RegistryKey& key) = 0;
    // `size` goes in as the room in `data` and comes back as the bytes the value holds, also
    // when they did not fit (MoreData). `data` means nothing after a failure.
    virtual RegistryStatus queryValue(RegistryKey key, const std::string& valueName,
                                      std::uint32_t& type, std::span<std::byte> data,
                                      std::uint32_t& size) = 0;
    virtual void closeKey(RegistryKey key) = 0;
};

// The system's own registry: the real one on Windows, an empty one (every key missing)
// elsewhere. The build picks the implementation.
class SystemRegistry final : public Registry {
public:
    RegistryStatus openKey(std::uint32_t root, const std::string& subKey, std::uint32_t options,
                           std::uint32_t accessMask, RegistryKey& key) override;
    RegistryStatus queryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              std::span<std::byte> data, std::uint32_t& size) override;
    void closeKey(RegistryKey key) override;
};

} // namespace ziq
