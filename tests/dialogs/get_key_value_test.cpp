#include "dialogs/sys_info.h"
#include "support/fake_registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#endif

namespace ziq::test {
namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

class GetKeyValueTest : public testing::Test {
protected:
    // KeyVal starts stale so a test sees whether the read replaced or kept it.
    bool read(const std::string& key = kKey, const std::string& name = "PATH") {
        value = "stale";
        return GetKeyValue(registry, kHkeyLocalMachine, key, name, value);
    }
    bool allKeysClosed() const { return registry.openKeys.empty(); }

    FakeRegistry registry;
    std::string value;
};

TEST_F(GetKeyValueTest, TextValueLosesItsTerminatingZeroOnly) {
    registry.setText(kKey, "PATH", "C:\\Tools\\msinfo32.exe");
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "C:\\Tools\\msinfo32.exe");
    ASSERT_EQ(registry.opens.size(), 1u);
    EXPECT_EQ(registry.opens[0].root, kHkeyLocalMachine);
    EXPECT_EQ(registry.opens[0].subKey, kKey);
    EXPECT_EQ(registry.opens[0].options, 0u);
    EXPECT_EQ(registry.opens[0].accessMask, 0x2003Fu);
    EXPECT_TRUE(allKeysClosed());
}

TEST_F(GetKeyValueTest, TextStoredWithoutZeroIsKeptWhole) {
    registry.setValue(kKey, "PATH", kRegSz, "C:\\Tools");
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "C:\\Tools");
}

TEST_F(GetKeyValueTest, TextEndsAtItsFirstZero) {
    registry.setValue(kKey, "PATH", kRegSz, std::string("C:\\Tools\0\0junk\0", 15));
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "C:\\Tools");
}

TEST_F(GetKeyValueTest, EmptyTextIsReadAsEmpty) {
    registry.setValue(kKey, "PATH", kRegSz, "");
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "");
}

TEST_F(GetKeyValueTest, TextFillingTheWholeBufferIsReadWhole) {
    const std::string text(1023, 'x'); // 1024 bytes with its zero
    registry.setText(kKey, "PATH", text);
    EXPECT_TRUE(read());
    EXPECT_EQ(value, text);
    EXPECT_TRUE(allKeysClosed());
}

TEST_F(GetKeyValueTest, LongerValueCountsAsMissing) {
    registry.setText(kKey, "PATH", std::string(1024, 'x')); // 1025 bytes
    EXPECT_FALSE(read());
    EXPECT_EQ(value, "");
    EXPECT_EQ(registry.closes, 1);
    EXPECT_TRUE(allKeysClosed());
}

TEST_F(GetKeyValueTest, MissingKeyGivesFalseAndEmptyText) {
    EXPECT_FALSE(read());
    EXPECT_EQ(value, "");
    EXPECT_EQ(registry.closes, 0); // nothing was opened
}

TEST_F(GetKeyValueTest, MissingValueGivesFalseAndClosesTheKey) {
    registry.setText(kKey, "OTHER", "x");
    EXPECT_FALSE(read());
    EXPECT_EQ(value, "");
    EXPECT_EQ(registry.closes, 1);
    EXPECT_TRUE(allKeysClosed());
}

TEST_F(GetKeyValueTest, NumberGivesItsHexadecimalText) {
    registry.setValue(kKey, "PATH", kRegDword, std::string("\x1A\x00\x00\x01", 4));
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "&h100001A"); // the inner zero bytes keep their places

    registry.setValue(kKey, "PATH", kRegDword, std::string("\x05\x00\x00\x00", 4));
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "&h5");

    registry.setValue(kKey, "PATH", kRegDword, std::string(4, '\0'));
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "&h0");

    registry.setValue(kKey, "PATH", kRegDword, "\xFF\xFF\xFF\xFF");
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "&hFFFFFFFF");
}

TEST_F(GetKeyValueTest, ExpandableTextIsReadExpanded) {
#ifdef _WIN32
    SetEnvironmentVariableA("ZIQ_TEST_TOOLS", "C:\\Tools");
#else
    setenv("ZIQ_TEST_TOOLS", "C:\\Tools", 1);
#endif
    registry.setValue(kKey, "PATH", kRegExpandSz,
                      std::string("%ZIQ_TEST_TOOLS%\\x.exe %ZIQ_NOT_SET% 5%\0", 40));
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "C:\\Tools\\x.exe %ZIQ_NOT_SET% 5%");
    EXPECT_TRUE(allKeysClosed());
}

TEST_F(GetKeyValueTest, OtherTypesCountAsFoundButLeaveTheTextAlone) {
    registry.setValue(kKey, "PATH", 3, "\x01\x02");
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "stale");
    EXPECT_TRUE(allKeysClosed());
}

TEST_F(GetKeyValueTest, KeyRefusingWriteRightsIsReadWithReadRights) {
    registry.setText(kKey, "PATH", "C:\\Tools\\msinfo32.exe");
    registry.keys[kKey].readOnlyForUser = true;
    EXPECT_TRUE(read());
    EXPECT_EQ(value, "C:\\Tools\\msinfo32.exe");
    ASSERT_EQ(registry.opens.size(), 2u);
    EXPECT_EQ(registry.opens[0].accessMask, 0x2003Fu);
    EXPECT_EQ(registry.opens[1].accessMask, 0x20019u);
    EXPECT_TRUE(allKeysClosed());
}

#ifdef _WIN32
TEST(SystemRegistryTest, ReadsTheRealRegistry) {
    SystemRegistry system;
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    std::string value;
    EXPECT_TRUE(GetKeyValue(system, kHkeyLocalMachine, key, "SystemRoot", value));
    EXPECT_NE(value.find(':'), std::string::npos) << value; // a drive, as in C:\Windows
    EXPECT_EQ(value.find('\0'), std::string::npos);
    EXPECT_FALSE(GetKeyValue(system, kHkeyLocalMachine, key, "NoSuchValueHere", value));
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_FALSE(GetKeyValue(system, kHkeyLocalMachine, key + "\\NoSuchKeyHere", "x", value));
    EXPECT_EQ(value, "");
}
#else
TEST(SystemRegistryTest, WithoutRegistryNothingIsFound) {
    SystemRegistry system;
    std::string value = "stale";
    EXPECT_FALSE(GetKeyValue(system, kHkeyLocalMachine, kKey, "PATH", value));
    EXPECT_EQ(value, "");
}
#endif

} // namespace
} // namespace ziq::test
