// Our own windows copy and paste through the toolkit's connection, which only the GUI thread
// serves. Data control must read what they copy, and serve what they paste, without waiting
// on that thread. Runs in a real compositor: tools/with_wayland.sh.

#include "platform/clipboard/wayland/wayland_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>

namespace ziq {
namespace {

class OwnWindows : public testing::Test {
protected:
    void SetUp() override {
        clipboard = WaylandClipboard::connect();
        if (clipboard == nullptr) {
            GTEST_SKIP() << "needs a compositor with data control: run through with_wayland.sh";
        }
    }
    // The selection's text as data control reads it, once the read has come back.
    std::optional<QString> read() {
        clipboard->changeCount();
        std::optional<QString> text = clipboard->readText();
        if (clipboard->answerPending()) {
            QObject context;
            bool answered = false;
            clipboard->whenAnswered(&context, [&] { answered = true; });
            if (!QTest::qWaitFor([&] { return answered; }, 20000)) {
                return std::nullopt;
            }
            text = clipboard->readText();
        }
        return text;
    }

    std::unique_ptr<WaylandClipboard> clipboard;
};

TEST_F(OwnWindows, DataControlReadsWhatTheToolkitCopied) {
    QGuiApplication::clipboard()->setText(QStringLiteral("copied in our window"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return read() == QString("copied in our window"); }, 20000));
}

TEST_F(OwnWindows, TheToolkitPastesWhatDataControlHolds) {
    QSignalSpy changed(QGuiApplication::clipboard(), &QClipboard::changed);
    ASSERT_TRUE(clipboard->writeText(QStringLiteral("held through data control")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !changed.isEmpty(); }, 20000));
    // One paste, as a user makes it: the toolkit waits for the text within its own timeout.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("held through data control"));
}

} // namespace
} // namespace ziq

int main(int argc, char* argv[]) {
    // Our windows run on XWayland where it is there, as the program's do.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb");
    }
    QGuiApplication application(argc, argv);
    // Compositors let only the focused client at the toolkit's clipboard.
    QRasterWindow window;
    window.resize(200, 100);
    window.show();
    if (!QTest::qWaitForWindowActive(&window, 20000)) {
        std::fputs("own_windows_test: the window never became active\n", stderr);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
