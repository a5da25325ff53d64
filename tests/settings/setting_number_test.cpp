#include "settings/setting_number.h"

#include <gtest/gtest.h>

namespace ziq {
namespace {

TEST(SettingNumber, ReadsPlainDecimalsOnly) {
    EXPECT_EQ(settingNumber("1"), 1.0);
    EXPECT_EQ(settingNumber(" 1\t"), 1.0);
    EXPECT_EQ(settingNumber("09"), 9.0);
    EXPECT_EQ(settingNumber("1.0"), 1.0);
    EXPECT_EQ(settingNumber(".5"), 0.5);
    EXPECT_EQ(settingNumber("1e0"), 1.0);
    EXPECT_EQ(settingNumber("-2"), -2.0);
    EXPECT_EQ(settingNumber("+3"), 3.0);
    for (const char* word :
         {"", "  ", "abc", "1a", "1 1", "inf", "nan", "0x1", "-", "+.", "1e", "1e999", "--1"}) {
        EXPECT_FALSE(settingNumber(word).has_value()) << '"' << word << '"';
    }
}

TEST(SettingNumber, TheTwoRulesDifferOnlyForTextThatIsNotANumber) {
    EXPECT_TRUE(guardedEquals("1", 1));
    EXPECT_TRUE(strictEquals("1", 1));
    EXPECT_FALSE(guardedEquals("2", 1));
    EXPECT_FALSE(strictEquals("2", 1));
    EXPECT_TRUE(guardedEquals("09", 9));
    EXPECT_TRUE(strictEquals("-0", 0));

    EXPECT_TRUE(guardedEquals("word", 1));
    EXPECT_TRUE(guardedEquals("", 0));
    EXPECT_FALSE(strictEquals("word", 1));
    EXPECT_FALSE(strictEquals("", 0));
}

TEST(SettingNumber, ByteRoundsHalfToEvenWithinRange) {
    EXPECT_EQ(settingByte("0"), 0);
    EXPECT_EQ(settingByte("255"), 255);
    EXPECT_EQ(settingByte("1"), 1);
    EXPECT_EQ(settingByte("2.5"), 2);
    EXPECT_EQ(settingByte("3.5"), 4);
    EXPECT_EQ(settingByte("0.5"), 0);
    EXPECT_EQ(settingByte("-0.4"), 0);
    EXPECT_EQ(settingByte("255.4"), 255);
    EXPECT_FALSE(settingByte("255.6").has_value());
    EXPECT_FALSE(settingByte("256").has_value());
    EXPECT_FALSE(settingByte("-1").has_value());
    EXPECT_FALSE(settingByte("").has_value());
    EXPECT_FALSE(settingByte("on").has_value());
}

} // namespace
} // namespace ziq
