#pragma once

#include "platform/system/registry.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace ziq::test {

// Keys under HKEY_LOCAL_MACHINE only, as the program reads nothing else. Values hold raw bytes.
class FakeRegistry final : public Registry {
public:
    struct Value {
        std::uint32_t type = kRegSz;
        std::string bytes;
    };
    struct Key {
        std::map<std::string, Value> values;
        bool readOnlyForUser = false; // refuses to open with more than read rights
    };

    // A text value as the system stores it: its characters and a terminating zero.
    void setText(const std::string& key, const std::string& name, const std::string& text) {
        keys[key].values[name] = {kRegSz, text + std::string(1, '\0')};
    }
    void setValue(const std::string& key, const std::string& name, std::uint32_t type,
                  std::string bytes) {
        keys[key].values[name] = {type, std::move(bytes)};
    }

    RegistryStatus openKey(std::uint32_t root, const std::string& subKey, std::uint32_t options,
                           std::uint32_t accessMask, RegistryKey& key) override {
        opens.push_back({root, subKey, options, accessMask});
        const auto found = keys.find(subKey);
        if (root != kHkeyLocalMachine || found == keys.end()) {
            return RegistryStatus::NotFound;
        }
        constexpr std::uint32_t kWriteRights = 0x2 | 0x4 | 0x20;
        if (found->second.readOnlyForUser && (accessMask & kWriteRights) != 0) {
            return RegistryStatus::AccessDenied;
        }
        key = nextKey++;
        openKeys[key] = subKey;
        return RegistryStatus::Success;
    }
    RegistryStatus queryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              std::span<std::byte> data, std::uint32_t& size) override {
        const auto open = openKeys.find(key);
        if (open == openKeys.end()) {
            return RegistryStatus::Failed;
        }
        queried.push_back(open->second + "\\" + valueName);
        const auto& values = keys[open->second].values;
        const auto found = values.find(valueName);
        if (found == values.end()) {
            return RegistryStatus::NotFound;
        }
        const std::string& bytes = found->second.bytes;
        type = found->second.type;
        const bool fits = bytes.size() <= size && bytes.size() <= data.size();
        if (fits) {
            std::memcpy(data.data(), bytes.data(), bytes.size());
        }
        size = std::uint32_t(bytes.size());
        return fits ? RegistryStatus::Success : RegistryStatus::MoreData;
    }
    void closeKey(RegistryKey key) override {
        ++closes;
        openKeys.erase(key);
    }

    struct Open {
        std::uint32_t root;
        std::string subKey;
        std::uint32_t options;
        std::uint32_t accessMask;
    };
    std::map<std::string, Key> keys;
    std::vector<Open> opens;
    std::vector<std::string> queried; // key + "\\" + value name, in order
    std::map<RegistryKey, std::string> openKeys;
    int closes = 0;

private:
    RegistryKey nextKey = 0x100;
};

} // namespace ziq::test
