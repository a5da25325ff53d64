#include "e2e/capture_support.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#ifndef ZIQ2_WAYLAND_OWNER
#error "ZIQ2_WAYLAND_OWNER must name the test Wayland selection owner"
#endif

namespace ziq::e2e {
namespace {

// GNOME's mutter offers no data control: the program captures through XWayland there, and
// only native clients with a keyboard can take the selection.
bool onMutter() {
    return qEnvironmentVariable("ZIQ_WAYLAND_COMPOSITOR") == QLatin1String("mutter");
}

// Headless mutter's seat has no keyboard, so wl-copy cannot take the selection. A session of
// its remote-desktop API gives it one while this process holds the session; one key press
// makes it the seat's.
bool giveMutterAKeyboard() {
    static const bool given = [] {
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString service = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
        const auto call = [&](const QString& path, const QString& method,
                              const QVariantList& arguments = {}) {
            QDBusMessage message = QDBusMessage::createMethodCall(
                service, path,
                path == QLatin1String("/org/gnome/Mutter/RemoteDesktop")
                    ? service
                    : service + QStringLiteral(".Session"),
                method);
            message.setArguments(arguments);
            return bus.call(message, QDBus::Block, 10000);
        };
        const QDBusMessage created = call(QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                                          QStringLiteral("CreateSession"));
        if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty()) {
            return false;
        }
        const QString session = created.arguments().constFirst().value<QDBusObjectPath>().path();
        constexpr uint kLeftShift = 42; // evdev
        return call(session, QStringLiteral("Start")).type() == QDBusMessage::ReplyMessage &&
               call(session, QStringLiteral("NotifyKeyboardKeycode"), {kLeftShift, true}).type() ==
                   QDBusMessage::ReplyMessage &&
               call(session, QStringLiteral("NotifyKeyboardKeycode"), {kLeftShift, false}).type() ==
                   QDBusMessage::ReplyMessage;
    }();
    return given;
}

// wl-clipboard: a native Wayland client.
void wlCopy(const QByteArray& text) {
    ASSERT_EQ(run(QStringLiteral("wl-copy"), {}, text).exitCode, 0);
}

QByteArray wlPaste() {
    return run(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}, {}, 5s).output;
}

QStringList wlTypes() {
    return QString::fromUtf8(
               run(QStringLiteral("wl-paste"), {QStringLiteral("--list-types")}).output)
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Owns the selection with the given types through data control (tests/e2e/helpers).
class WaylandOwner : public HelperProcess {
public:
    explicit WaylandOwner(const QStringList& arguments)
        : HelperProcess(QStringLiteral(ZIQ2_WAYLAND_OWNER), arguments) {}

    // With --when-told: whether a reader has asked for the content, and the go-ahead.
    bool asked() {
        return waitUntil([this] { return process_.readAllStandardOutput().contains("asked"); });
    }
    void answer() { process_.write("go\n"); }
};

// The owner of several types at once, or of one that never answers, is a data-control client.
constexpr const char* kNeedsDataControl = "the test's owner needs data control, which mutter lacks";

class WaylandCapture : public testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            GTEST_SKIP() << "needs a Wayland session: run through tools/with_wayland.sh";
        }
        if (onMutter()) {
            ASSERT_TRUE(giveMutterAKeyboard()) << "no keyboard from mutter's remote desktop";
        }
        program.writeSettings({{"ZIQ/BEEPON", "0"}});
    }
    void TearDown() override {
        if (program.running()) {
            program.terminate();
            EXPECT_TRUE(program.waitForExit());
            EXPECT_EQ(program.exitCode(), 0);
        }
        // Ends a keeper serving our text, so the next test starts from an empty selection.
        run(QStringLiteral("wl-copy"), {QStringLiteral("--clear")});
        EXPECT_TRUE(waitUntil([this] { return !keeperRunning(program); }));
    }
    void start(const QStringList& arguments = {}) {
        program.start(arguments);
        std::this_thread::sleep_for(1500ms);
        ASSERT_TRUE(program.running()) << program.errors().toStdString();
    }
    bool logged(const std::string& text, std::chrono::milliseconds timeout = 15s) {
        return waitUntil(
            [&] {
                return allClipboardLogs(program).find("TEXT=" + text + "\n") != std::string::npos;
            },
            timeout);
    }

    RealProgram program;
};

TEST_F(WaylandCapture, APlainCopyIsLoggedAndStaysPlainText) {
    start();
    wlCopy("copied by wl-copy");
    ASSERT_TRUE(logged("copied by wl-copy"));
    waitForTheNextSecond();
    EXPECT_TRUE(waitUntil([] { return wlTypes().contains("text/plain;charset=utf-8"); }));
    EXPECT_EQ(wlPaste(), QByteArray("copied by wl-copy"));

    // Our own rewrite is no news: the same text again is not logged twice.
    wlCopy("copied by wl-copy");
    wlCopy("and a second one");
    ASSERT_TRUE(logged("and a second one"));
    EXPECT_EQ(countOf(allClipboardLogs(program), "TEXT=copied by wl-copy\n"), 1);
}

TEST_F(WaylandCapture, RichTextBecomesPlainTextOnly) {
    start();
    std::optional<WaylandOwner> rich;
    std::optional<ClipboardServer> x11Rich;
    if (onMutter()) {
        // There an X11 program on XWayland copies it: mutter hands it to Wayland's side.
        qputenv("QT_QPA_PLATFORM", "xcb");
        x11Rich.emplace(QStringList{"--html", "<p><b>Bold</b> words</p>", "--text", "Bold words"});
        qunsetenv("QT_QPA_PLATFORM");
        ASSERT_TRUE(x11Rich->ready());
        EXPECT_TRUE(waitUntil([] { return wlTypes().contains("text/html"); }));
    } else {
        rich.emplace(QStringList{"text/html", "<p><b>Bold</b> words</p>",
                                 "text/plain;charset=utf-8", "Bold words"});
        ASSERT_TRUE(rich->ready());
    }
    ASSERT_TRUE(logged("Bold words"));
    QStringList types;
    EXPECT_TRUE(waitUntil([&] {
        types = wlTypes();
        return !types.contains("text/html") && types.contains("text/plain;charset=utf-8");
    })) << types.join(' ').toStdString();
    EXPECT_EQ(wlPaste(), QByteArray("Bold words"));
}

TEST_F(WaylandCapture, SecretsFilesAndPicturesAreLeftAlone) {
    if (onMutter()) {
        GTEST_SKIP() << kNeedsDataControl;
    }
    start();
    const std::vector<QStringList> untouchables{
        {"text/plain;charset=utf-8", "hunter2", "x-kde-passwordManagerHint", "secret"},
        {"text/uri-list", "file:///tmp/a.txt\r\n", "text/plain;charset=utf-8", "/tmp/a.txt"},
        {"image/png", "not really a picture"}};
    for (const QStringList& content : untouchables) {
        WaylandOwner owner(content);
        ASSERT_TRUE(owner.ready());
        const std::string types = wlTypes().join(' ').toStdString();
        // A few ticks later the selection is still the owner's, with all its types.
        std::this_thread::sleep_for(2500ms);
        EXPECT_EQ(wlTypes().join(' ').toStdString(), types) << content.join(' ').toStdString();
    }
    wlCopy("after the untouchables");
    ASSERT_TRUE(logged("after the untouchables"));
    const std::string logs = allClipboardLogs(program);
    EXPECT_EQ(logs.find("hunter2"), std::string::npos) << logs;
    EXPECT_EQ(logs.find("a.txt"), std::string::npos) << logs;
    EXPECT_EQ(logs.find("picture"), std::string::npos) << logs;
}

TEST_F(WaylandCapture, ATextOverTheLimitIsLeftAloneAndPollingGoesOn) {
    if (onMutter()) {
        GTEST_SKIP() << kNeedsDataControl;
    }
    start();
    {
        // One character over 64 Mi.
        WaylandOwner huge({"--size", QString::number(64 * 1024 * 1024 + 1)});
        ASSERT_TRUE(huge.ready());
        std::this_thread::sleep_for(4s);
        EXPECT_EQ(wlTypes().join(' ').toStdString(), "text/plain;charset=utf-8");
    }
    wlCopy("after the huge one");
    ASSERT_TRUE(logged("after the huge one"));
    EXPECT_EQ(allClipboardLogs(program).find("zzzz"), std::string::npos);
}

TEST_F(WaylandCapture, ALinkReachesTheLinkLog) {
    program.writeSettings({{"ZIQ/BEEPON", "0"}, {"LINKCATCHER/SAVETYPE", "1"}});
    start();
    // As a browser copies a link: a uri-list of a web address is no file list.
    std::optional<WaylandOwner> link;
    if (onMutter()) {
        wlCopy("https://example.org/wayland?x=1");
    } else {
        link.emplace(QStringList{"text/uri-list", "https://example.org/wayland?x=1\r\n",
                                 "text/plain;charset=utf-8", "https://example.org/wayland?x=1"});
        ASSERT_TRUE(link->ready());
    }
    ASSERT_TRUE(logged("https://example.org/wayland?x=1"));
    EXPECT_TRUE(waitUntil([&] {
        return std::filesystem::exists(program.file("ziqurl.txt")) &&
               readFile(program.file("ziqurl.txt")).find("=https://example.org/wayland?x=1\n") !=
                   std::string::npos;
    }));
}

TEST_F(WaylandCapture, HitAndRunCapturesEndsAndTheTextOutlivesTheProgram) {
    program.writeSettings({{"ZIQ/BEEPON", "0"}, {"ZIQ/HITNRUN", "1"}});
    std::optional<WaylandOwner> rich;
    if (onMutter()) {
        wlCopy("hit and run");
    } else {
        rich.emplace(QStringList{"text/html", "<i>hit</i> and run", "text/plain;charset=utf-8",
                                 "hit and run"});
        ASSERT_TRUE(rich->ready());
    }
    program.start();
    ASSERT_TRUE(program.waitForExit(15s)) << program.errors().toStdString();
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(countOf(allClipboardLogs(program), "TEXT=hit and run\n"), 1);

    // Served by our keeper now, as plain text only.
    EXPECT_EQ(wlPaste(), QByteArray("hit and run"));
    EXPECT_FALSE(wlTypes().contains("text/html"));
    EXPECT_TRUE(keeperRunning(program));
    // The keeper leaves as soon as another program takes the selection.
    wlCopy("someone else's");
    EXPECT_TRUE(waitUntil([&] { return !keeperRunning(program); }));
    EXPECT_EQ(wlPaste(), QByteArray("someone else's"));
}

TEST_F(WaylandCapture, ExitKeepsTheText) {
    start();
    wlCopy("kept after exit");
    ASSERT_TRUE(logged("kept after exit"));
    ASSERT_TRUE(waitUntil([] { return wlTypes().contains("STRING"); }));
    program.terminate();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(wlPaste(), QByteArray("kept after exit"));
    EXPECT_TRUE(keeperRunning(program));
}

// ziq2-history finds what ZIQ2 logged from a Wayland program and puts it back: a Wayland
// program pastes it after ziq2-history has ended.
TEST_F(WaylandCapture, HistoryPutsALoggedTextBack) {
    start();
    const QByteArray text = QStringLiteral("Grüße\nfrom the history").toUtf8();
    wlCopy(text);
    ASSERT_TRUE(logged(text.toStdString()));
    wlCopy("something newer");
    ASSERT_TRUE(logged("something newer"));
    const std::filesystem::path history = program.file("ziq2-history");
    std::filesystem::copy_file(ZIQ2_HISTORY_BINARY, history);
    const QString binary = QString::fromStdString(history.string());
    const e2e::Run listed = run(binary, {QStringLiteral("--list"), QStringLiteral("GRÜẞE")});
    ASSERT_EQ(listed.exitCode, 0);
    const QString id = QString::fromUtf8(listed.output).section(QLatin1Char('\t'), 0, 0);
    EXPECT_EQ(run(binary, {QStringLiteral("--copy"), id}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return wlPaste() == text; })) << wlPaste().toStdString();
}

TEST_F(WaylandCapture, ASenderThatNeverAnswersDoesNotHoldTheProgram) {
    if (onMutter()) {
        GTEST_SKIP() << kNeedsDataControl;
    }
    start();
    WaylandOwner hung({"--hang", "text/plain;charset=utf-8", "never sent"});
    ASSERT_TRUE(hung.ready());
    // The program asks, waits a bounded while, and then leaves that content alone.
    std::this_thread::sleep_for(5s);
    ASSERT_TRUE(program.running());
    wlCopy("after the silent one");
    ASSERT_TRUE(logged("after the silent one"));
    EXPECT_EQ(allClipboardLogs(program).find("never sent"), std::string::npos);
    // And it ends at once when asked.
    program.terminate();
    EXPECT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
}

TEST_F(WaylandCapture, ACopyMadeWhileTheProgramReadsIsNeitherOverwrittenNorLost) {
    if (onMutter()) {
        GTEST_SKIP() << kNeedsDataControl;
    }
    start();
    WaylandOwner slow({"--when-told", "text/plain;charset=utf-8", "read while copying"});
    ASSERT_TRUE(slow.ready());
    ASSERT_TRUE(slow.asked());
    // The copy made meanwhile holds its own answer until the first capture is logged and its
    // second has passed, so that the two do not share a log section.
    WaylandOwner during({"--when-told", "text/plain;charset=utf-8", "copied during the read"});
    ASSERT_TRUE(during.ready());
    slow.answer();
    ASSERT_TRUE(logged("read while copying"));
    waitForTheNextSecond();
    ASSERT_TRUE(during.asked());
    during.answer();
    ASSERT_TRUE(logged("copied during the read"));
    const std::string logs = allClipboardLogs(program);
    EXPECT_LT(logs.find("TEXT=read while copying\n"), logs.find("TEXT=copied during the read\n"))
        << logs;
    EXPECT_EQ(wlPaste(), QByteArray("copied during the read"));
}

TEST_F(WaylandCapture, AReaderThatWaitsBeforeReadingGetsTheWholeText) {
    start();
    const QByteArray big(10 * 1024 * 1024, 'w');
    wlCopy(big);
    ASSERT_TRUE(logged(big.toStdString()));
    ASSERT_TRUE(waitUntil([] { return wlTypes().contains("STRING"); })); // ours now
    // wl-paste writes into a pipe that nobody reads for 5 s, so it stops reading ours too.
    const auto paste =
        run(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("wl-paste --no-newline | { sleep 5; wc -c; }")},
            {}, 60s);
    EXPECT_EQ(paste.output.trimmed(), QByteArray::number(big.size()));
}

TEST_F(WaylandCapture, PastesThatStopReadingDoNotHoldTheProgram) {
    start();
    const QByteArray big(1024 * 1024, 'b');
    wlCopy(big);
    ASSERT_TRUE(logged(big.toStdString()));
    // Ten pastes of our megabyte into pipes that nobody empties: each takes a little of it,
    // then stops reading.
    std::vector<std::unique_ptr<QProcess>> stuck;
    for (int i = 0; i < 10; ++i) {
        auto sleeper = std::make_unique<QProcess>();
        auto paste = std::make_unique<QProcess>();
        paste->setStandardOutputProcess(sleeper.get());
        sleeper->start(QStringLiteral("sleep"), {QStringLiteral("120")});
        paste->start(QStringLiteral("wl-paste"), {});
        ASSERT_TRUE(paste->waitForStarted(5000));
        stuck.push_back(std::move(paste));
        stuck.push_back(std::move(sleeper));
    }
    std::this_thread::sleep_for(1s);
    wlCopy("while they stall");
    EXPECT_TRUE(logged("while they stall"));
    for (const auto& process : stuck) {
        process->kill();
        process->waitForFinished(3000);
    }
}

} // namespace
} // namespace ziq::e2e
