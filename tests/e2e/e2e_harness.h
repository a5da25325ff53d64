#pragma once

#include <QProcess>
#include <gtest/gtest.h>
#include <QString>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace ziq::e2e {

using namespace std::chrono_literals;

// Polls until `done` holds or the time is up; true when it held.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);

// Runs a helper program to its end and returns what it printed (stdout).
struct Run {
    int exitCode = -1;
    QByteArray output;
};
Run run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
        std::chrono::milliseconds timeout = 10s);

// Mapped X windows whose title matches the regular expression (xdotool's --name search);
// Qt keeps unmapped helper windows named after the application, which must not count.
QStringList findWindows(const QString& titleRegex);
std::optional<QString> waitForWindow(const QString& titleRegex,
                                     std::chrono::milliseconds timeout = 10s);
// Gives a window the keyboard focus.
void focusWindow(const QString& window);
// Focuses a window and presses a key there, e.g. "Return".
void pressKey(const QString& window, const QString& key);
// The program's mapped windows, as xdotool finds them; its tray icon is one of them.
QStringList visibleWindowsOf(qint64 pid);
void xdotool(const QStringList& arguments);
// A window's height in pixels; 0 when it cannot be found.
int windowHeight(const QString& window);
// Clicks the middle of a control placed at left, top, width, height twips in the window, laid
// out at `scale` pixels per twip.
void clickTwips(const QString& window, double scale, int left, int top, int width, int height);

// The CLIPBOARD selection, through xclip, a foreign client. Setting it leaves an xclip
// process serving the text until another program takes the selection.
void setClipboard(const QByteArray& text, const QString& type = QStringLiteral("UTF8_STRING"));
std::optional<QByteArray> clipboardText(std::chrono::milliseconds timeout = 3s);
QStringList clipboardTargets();

// A helper program of the tests that prints "ready" once it has taken what it serves; it is
// killed with the object (a stopped one too).
class HelperProcess {
public:
    HelperProcess(const QString& program, const QStringList& arguments);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool ready() const { return ready_; }
    bool running() const { return process_.state() != QProcess::NotRunning; }

protected:
    QProcess process_;

private:
    bool ready_ = false;
};

// The real ZIQ2 binary, copied into a fresh program folder of its own.
class RealProgram {
public:
    RealProgram();
    ~RealProgram();
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    std::filesystem::path file(const std::string& name) const { return dir_ / name; }

    // An initialised settings file (no welcome message) with the defaults, changed by `overrides`
    // given as "SECTION/KEY" -> value.
    void writeSettings(const std::map<std::string, std::string>& overrides = {});

    void start(const QStringList& arguments = {});
    bool running() const;
    bool waitForExit(std::chrono::milliseconds timeout = 10s);
    int exitCode() const;
    void terminate(); // SIGTERM
    void kill();      // SIGKILL
    qint64 pid() const;
    QByteArray errors(); // what the program wrote to stderr since the last call

    // What a failure report needs: whether the program runs, what the clipboard holds and
    // offers, the last lines of its stderr and of its newest log file.
    std::string whatItSaw();

private:
    std::filesystem::path dir_;
    QProcess process_;
    QByteArray errorsSeen_; // everything read from stderr, for the failure report
};

// Prints RealProgram::whatItSaw() of every program alive when a test assertion fails.
void reportProgramsOnFailure();

// A test that drives one real program: skipped without an X server, and the program is
// ended with the test.
class RealProgramTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    RealProgram program;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);
// Skips the calling test when no X server is available.
bool haveDisplay();

} // namespace ziq::e2e
