// The toolkit's clipboard on a real X server, owned by another program.

#include "platform/clipboard/qt_clipboard.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace ziq {
namespace {

// tests/e2e/helpers/clipboard_server.cpp: owns the clipboard once it says so.
class Owner {
public:
    explicit Owner(const QStringList& arguments) {
        process_.start(QStringLiteral(ZIQ2_CLIPBOARD_SERVER), arguments);
        owns_ = QTest::qWaitFor(
            [this] {
                process_.waitForReadyRead(100);
                return process_.readAllStandardOutput().contains("ready");
            },
            20000);
    }
    ~Owner() {
        process_.kill();
        process_.waitForFinished();
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    bool owns() const { return owns_; }

private:
    QProcess process_;
    bool owns_ = false;
};

TEST(X11Clipboard, ASecretCopiedBetweenTheCheckAndTheReadIsNotRead) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    QtClipboard clipboard;
    const Owner visible({QStringLiteral("--text"), QStringLiteral("visible")});
    ASSERT_TRUE(visible.owns());
    ASSERT_EQ(clipboard.isSecret(), false);
    // A password manager copies just then.
    const Owner secret(
        {QStringLiteral("--text"), QStringLiteral("hunter2"), QStringLiteral("--secret")});
    ASSERT_TRUE(secret.owns());
    EXPECT_EQ(clipboard.readText(), std::nullopt);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clipboard.isSecret() == true; })) << "the next look";
}

} // namespace
} // namespace ziq

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
