// The registry reader against the real Windows registry, on values this test writes itself.
// Elsewhere there is no registry; tests/dialogs covers that case.
#ifdef _WIN32

#include "dialogs/sys_info.h"
#include "platform/system/registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstring>

namespace ziq::test {
namespace {

constexpr std::uint32_t kHkeyCurrentUser = 0x80000001;

class RealRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key);
        EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, keyName.c_str()), ERROR_SUCCESS);
        RegDeleteKeyA(HKEY_CURRENT_USER, keyName.c_str());
        HKEY gone = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_READ, &gone),
                  ERROR_FILE_NOT_FOUND);
    }

    void setText(const char* name, const std::string& text, DWORD type = REG_SZ) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 DWORD(text.size() + 1)),
                  ERROR_SUCCESS);
    }
    void setNumber(const char* name, DWORD number) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                 sizeof number),
                  ERROR_SUCCESS);
    }
    // KeyVal starts stale so a test sees whether the read replaced or kept it.
    bool read(const std::string& name, const std::string& keyPath) {
        value = "stale";
        return GetKeyValue(registry, kHkeyCurrentUser, keyPath, name, value);
    }
    bool read(const std::string& name) { return read(name, keyName); }

    const std::string keyName =
        "Software\\ZIQ2 registry test " + std::to_string(GetCurrentProcessId());
    HKEY key = nullptr;
    SystemRegistry registry;
    std::string value;
};

TEST_F(RealRegistryTest, TextAndNumbersAreReadAsWritten) {
    setText("Path", "C:\\Program Files\\Common Files\\Tool\\tool.exe");
    setText("Empty", "");
    setNumber("Number", 0x1A00002B);
    setNumber("Zero", 0);
    EXPECT_TRUE(read("Path"));
    EXPECT_EQ(value, "C:\\Program Files\\Common Files\\Tool\\tool.exe");
    EXPECT_TRUE(read("path")); // value names ignore case
    EXPECT_EQ(value, "C:\\Program Files\\Common Files\\Tool\\tool.exe");
    EXPECT_TRUE(read("Empty"));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(read("Number"));
    EXPECT_EQ(value, "&h1A00002B");
    EXPECT_TRUE(read("Zero"));
    EXPECT_EQ(value, "&h0");
}

TEST_F(RealRegistryTest, TextIsReadUpToTheRoomOfTheBufferAndNoFurther) {
    const std::string fits(1023, 'x'); // 1024 bytes with its zero
    setText("Fits", fits);
    setText("TooLong", fits + "y");
    EXPECT_TRUE(read("Fits"));
    EXPECT_EQ(value, fits);
    EXPECT_FALSE(read("TooLong"));
    EXPECT_EQ(value, "");
}

TEST_F(RealRegistryTest, MissingValueOrKeyIsNotFound) {
    setText("Path", "x");
    EXPECT_FALSE(read("NoSuchValue"));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(read("Path", keyName + "\\NoSuchKey"));
    EXPECT_EQ(value, "");
}

TEST_F(RealRegistryTest, ExpandableTextIsExpandedAndOtherTypesLeaveTheTextAlone) {
    setText("Expand", "%SystemRoot%\\system32\\tool.exe", REG_EXPAND_SZ);
    EXPECT_TRUE(read("Expand"));
    char root[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("SystemRoot", root, MAX_PATH), 0u);
    EXPECT_EQ(value, std::string(root) + "\\system32\\tool.exe");
    setText("Binary", "C:\\x", REG_BINARY);
    EXPECT_TRUE(read("Binary"));
    EXPECT_EQ(value, "stale");
}

// The seam's own promise: a value that does not fit reports the room it needs.
TEST_F(RealRegistryTest, ValueTooLargeForTheRoomReportsItsSize) {
    setText("Path", "C:\\Tools");
    RegistryKey opened{};
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, keyName, 0, KEY_READ, opened),
              RegistryStatus::Success);
    std::array<std::byte, 4> small{};
    std::uint32_t type = 0;
    std::uint32_t size = small.size();
    EXPECT_EQ(registry.queryValue(opened, "Path", type, small, size), RegistryStatus::MoreData);
    EXPECT_EQ(size, 9u);

    std::array<std::byte, 16> room{};
    size = room.size();
    EXPECT_EQ(registry.queryValue(opened, "Path", type, room, size), RegistryStatus::Success);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(std::memcmp(room.data(), "C:\\Tools", 9), 0);
    registry.closeKey(opened);
}

} // namespace
} // namespace ziq::test

#endif
