#include "platform/clipboard/secret_clipboard.h"

#include <gtest/gtest.h>

#include <map>

namespace ziq {
namespace {

bool secret(const std::map<std::string, std::string>& clipboard) {
    std::vector<std::string> formats;
    for (const auto& entry : clipboard) {
        formats.push_back(entry.first);
    }
    return isSecretClipboard(
        formats, [&clipboard](const std::string& format) { return clipboard.at(format); });
}

std::string windowsFormat(const std::string& name) {
    return "application/x-qt-windows-mime;value=\"" + name + "\"";
}

TEST(SecretClipboard, KdePasswordManagerHint) {
    EXPECT_TRUE(secret({{"text/plain", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}}));
    EXPECT_TRUE(
        secret({{"text/plain", "pw"}, {"x-kde-passwordManagerHint", std::string("secret\0", 7)}}));
    EXPECT_FALSE(secret({{"text/plain", "pw"}, {"x-kde-passwordManagerHint", "public"}}));
    EXPECT_FALSE(secret({{"text/plain", "pw"}, {"x-kde-passwordManagerHint", ""}}));
}

TEST(SecretClipboard, WindowsExclusionFormatsCountByTheirPresence) {
    EXPECT_TRUE(secret({{"text/plain", "pw"},
                        {windowsFormat("ExcludeClipboardContentFromMonitorProcessing"), ""}}));
    EXPECT_TRUE(secret({{"text/plain", "pw"}, {windowsFormat("Clipboard Viewer Ignore"), "x"}}));
    EXPECT_TRUE(secret({{"Clipboard Viewer Ignore", ""}}));
}

TEST(SecretClipboard, WindowsHistoryFlagCountsOnlyWhenZero) {
    const std::string zero("\0\0\0\0", 4);
    const std::string one("\1\0\0\0", 4);
    EXPECT_TRUE(
        secret({{"text/plain", "pw"}, {windowsFormat("CanIncludeInClipboardHistory"), zero}}));
    EXPECT_FALSE(
        secret({{"text/plain", "pw"}, {windowsFormat("CanIncludeInClipboardHistory"), one}}));
    EXPECT_FALSE(
        secret({{"text/plain", "pw"}, {windowsFormat("CanIncludeInClipboardHistory"), ""}}));
}

TEST(SecretClipboard, OrdinaryContentIsNotSecret) {
    EXPECT_FALSE(secret({}));
    EXPECT_FALSE(secret({{"text/plain", "secret"}, {"text/html", "<b>secret</b>"}}));
    // A look-alike name is not the marker.
    EXPECT_FALSE(secret({{windowsFormat("Clipboard Viewer Ignored"), ""}}));
}

} // namespace
} // namespace ziq
