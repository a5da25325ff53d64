#include "platform/system/local_instance_channel.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace ziq {
namespace {

// A name of its own, so tests never meet a real copy of the program or each other.
QString uniqueName() {
    return QStringLiteral("ziq-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

struct Asked {
    std::vector<std::string> titles;
    InstanceChannel::ComeForwardHandler answeringTo(std::string title) {
        return [this, title](const std::string& asked) {
            titles.push_back(asked);
            return asked == title;
        };
    }
};

// A copy that runs and answers to "ZIQ2", recording every title it is asked for.
class RunningCopy : public testing::Test {
protected:
    void SetUp() override {
        first.setComeForwardHandler(asked.answeringTo("ZIQ2"));
        ASSERT_FALSE(first.anotherInstanceRunning());
    }
    const QString name = uniqueName();
    LocalInstanceChannel first{name};
    Asked asked;
};

TEST(LocalInstanceChannel, TheFirstCopyTakesTheChannelAndTheNextOneSeesIt) {
    const QString name = uniqueName();
    LocalInstanceChannel first(name);
    LocalInstanceChannel second(name);
    EXPECT_EQ(first.serverName(), second.serverName());
    EXPECT_FALSE(first.anotherInstanceRunning());
    EXPECT_TRUE(first.isListening());
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_FALSE(second.isListening());
}

TEST_F(RunningCopy, TheRunningCopyIsFoundOnlyByItsTitle) {
    LocalInstanceChannel second(name);
    EXPECT_TRUE(second.bringForward("ZIQ2"));
    EXPECT_FALSE(second.bringForward("unwanted instance"));
    EXPECT_EQ(asked.titles, (std::vector<std::string>{"ZIQ2", "unwanted instance"}));
    // Found or not, the running copy keeps the channel.
    EXPECT_TRUE(first.isListening());
    EXPECT_FALSE(second.isListening());
    // A title with a line break cannot split the request.
    EXPECT_FALSE(second.bringForward("ZIQ2\nZIQ2"));
    ASSERT_EQ(asked.titles.size(), 3U);
    EXPECT_EQ(asked.titles.back(), "ZIQ2 ZIQ2");
}

TEST_F(RunningCopy, ACopyThatEndedIsNotFoundAndItsChannelPassesOn) {
    LocalInstanceChannel second(name);
    ASSERT_TRUE(second.anotherInstanceRunning());
    first.close(); // it ends between the check and the search
    EXPECT_FALSE(second.bringForward("ZIQ2"));
    EXPECT_TRUE(asked.titles.empty());
    EXPECT_TRUE(second.isListening());
    LocalInstanceChannel third(name);
    EXPECT_TRUE(third.anotherInstanceRunning());
}

TEST(LocalInstanceChannel, ABusyCopyThatDoesNotAnswerStillCountsAsRunning) {
    const QString name = uniqueName();
    LocalInstanceChannel probe(name);
    QLocalServer silent; // accepts, never answers
    ASSERT_TRUE(silent.listen(probe.serverName()));
    LocalInstanceChannel second(name);
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_TRUE(second.bringForward("ZIQ2"));
    EXPECT_FALSE(second.isListening());
}

TEST_F(RunningCopy, ARequestThatNeverEndsIsDropped) {
    QLocalSocket flood;
    flood.connectToServer(first.serverName());
    ASSERT_TRUE(flood.waitForConnected(1000));
    flood.write(QByteArray(4096, 'x'));
    flood.flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return flood.state() != QLocalSocket::ConnectedState; }));
    EXPECT_TRUE(asked.titles.empty());
    // It still answers others.
    LocalInstanceChannel second(name);
    EXPECT_TRUE(second.bringForward("ZIQ2"));
}

#ifndef _WIN32
// What a copy killed outright leaves behind: a socket file nobody listens at.
void leaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    ASSERT_LT(size_t(bytes.size()), sizeof(address.sun_path));
    std::copy(bytes.begin(), bytes.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path));
}

TEST(LocalInstanceChannel, AStaleSocketFromACrashedCopyDoesNotBlockTheNextStart) {
    const QString name = uniqueName();
    LocalInstanceChannel next(name);
    leaveStaleSocket(next.serverName());
    EXPECT_FALSE(next.anotherInstanceRunning());
    EXPECT_TRUE(next.isListening());
    LocalInstanceChannel later(name);
    EXPECT_TRUE(later.anotherInstanceRunning());
}

TEST(LocalInstanceChannel, AStaleSocketFoundDuringTheSearchIsTakenOver) {
    const QString name = uniqueName();
    LocalInstanceChannel second(name);
    leaveStaleSocket(second.serverName());
    EXPECT_FALSE(second.bringForward("ZIQ2"));
    EXPECT_TRUE(second.isListening());
}

TEST(LocalInstanceChannel, ClosingRemovesTheSocket) {
    const QString name = uniqueName();
    LocalInstanceChannel only(name);
    ASSERT_FALSE(only.anotherInstanceRunning());
    ASSERT_TRUE(QFile::exists(only.serverName()));
    only.close();
    EXPECT_FALSE(QFile::exists(only.serverName()));
    only.close(); // twice is harmless
}
#endif

#ifndef _WIN32
TEST(LocalInstanceChannel, TheChannelIsPerUserAndDesktopSession) {
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":7.0");
    const QString screen0 = LocalInstanceChannel(QStringLiteral("ZIQ2")).serverName();
    qputenv("DISPLAY", ":7.1");
    const QString screen1 = LocalInstanceChannel(QStringLiteral("ZIQ2")).serverName();
    qputenv("DISPLAY", ":8");
    const QString otherDesktop = LocalInstanceChannel(QStringLiteral("ZIQ2")).serverName();
    qputenv("DISPLAY", display);
    if (display.isEmpty()) {
        qunsetenv("DISPLAY");
    }
    EXPECT_EQ(screen0, screen1);
    EXPECT_NE(screen0, otherDesktop);
    EXPECT_TRUE(screen0.contains(QStringLiteral("ZIQ2")));
    EXPECT_FALSE(screen0.contains(QLatin1Char(':'))) << "safe as a file name";
}
#else
TEST(LocalInstanceChannel, TheChannelIsPerUserSidAndSession) {
    const QString sid = QStringLiteral("S-1-5-21-1004336348-1177238915-682003330-1001");
    const QString otherUser = QStringLiteral("S-1-5-21-1004336348-1177238915-682003330-1002");
    EXPECT_NE(windowsInstanceScope(sid, 1), windowsInstanceScope(sid, 2));
    EXPECT_NE(windowsInstanceScope(sid, 1), windowsInstanceScope(otherUser, 1));
    EXPECT_EQ(windowsInstanceScope(sid, 1), sid + QStringLiteral("-1"));
    // The display plays no part: every session of the machine sees the same pipe names.
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":7");
    const QString here = LocalInstanceChannel(QStringLiteral("ZIQ2")).serverName();
    qputenv("DISPLAY", ":8");
    EXPECT_EQ(LocalInstanceChannel(QStringLiteral("ZIQ2")).serverName(), here);
    qputenv("DISPLAY", display);
    EXPECT_TRUE(here.startsWith(QStringLiteral("ZIQ2-S-1-"))) << qPrintable(here);
}
#endif

} // namespace
} // namespace ziq
