#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile_file.h"
#include "profile/profile_test_hooks.h"
#include "support/unprivileged.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <aclapi.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ziq::profile::test {

// `text` with each LF turned into the platform's line break, as new files get it.
inline std::string native(std::string_view text) {
#ifdef _WIN32
    std::string out;
    for (const char c : text) {
        out += c == '\n' ? std::string_view("\r\n") : std::string_view(&c, 1);
    }
    return out;
#else
    return std::string(text);
#endif
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

// Every test gets a fresh folder and a module with default seams and an empty cache.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSeams();
        static std::mt19937_64 names(std::random_device{}());
        folder_ =
            std::filesystem::temp_directory_path() / ("ziq-profile-" + std::to_string(names()));
        std::filesystem::create_directories(folder_);
    }

    void TearDown() override {
        resetSeams();
        std::error_code ignored;
#ifndef _WIN32
        ::chmod(folder_.c_str(), 0755);
#endif
        std::filesystem::remove_all(folder_, ignored);
    }

    static void resetSeams() {
        testing::injectIoFailure(0);
        testing::simulateTimestampGranularity(0);
        testing::setChangeWatching(true);
        testing::setAfterOwnWrite({});
        testing::resetIndexThreshold();
        testing::clearIndexCache();
        testing::resetIoCounters();
    }

    std::filesystem::path file(std::string_view name = "test.ini") const {
        return folder_ / name;
    }

    std::string read(std::string_view section, std::string_view key, std::string_view fallback = "",
                     std::size_t capacity = 1 << 20, std::string_view name = "test.ini") const {
        return readString(section, key, fallback, capacity, file(name));
    }

    bool write(std::string_view section, std::string_view key, std::string_view value,
               std::string_view name = "test.ini") const {
        return writeString(section, key, value, file(name));
    }

    std::string content(std::string_view name = "test.ini") const {
        return readBytes(file(name));
    }
    void setContent(std::string_view bytes, std::string_view name = "test.ini") const {
        writeBytes(file(name), bytes);
    }

    std::filesystem::path folder_;
};

#ifndef _WIN32
using ziq::test::runUnprivileged;
#endif

} // namespace ziq::profile::test
