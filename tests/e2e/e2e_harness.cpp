#include "e2e/e2e_harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <cmath>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

#ifndef ZIQ2_BINARY
#error "ZIQ2_BINARY must name the program under test"
#endif

namespace ziq::e2e {

namespace fs = std::filesystem;

namespace {

// The programs alive now, for the failure report.
std::set<RealProgram*>& livePrograms() {
    static std::set<RealProgram*> programs;
    return programs;
}

// The last `count` lines of a text, each indented, long ones cut.
std::string lastLines(const QByteArray& text, int count) {
    QList<QByteArray> lines = text.split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) {
        lines.removeLast();
    }
    std::string out;
    for (qsizetype i = std::max<qsizetype>(0, lines.size() - count); i < lines.size(); ++i) {
        out += "    " + lines[i].left(160).toStdString() + "\n";
    }
    return out.empty() ? "    (nothing)\n" : out;
}

class FailureReporter : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (!result.failed()) {
            return;
        }
        for (RealProgram* program : livePrograms()) {
            std::cout << program->whatItSaw() << std::flush;
        }
    }
};

} // namespace

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(40);
    }
    return true;
}

Run run(const QString& program, const QStringList& arguments, const QByteArray& input,
        std::chrono::milliseconds timeout) {
    QProcess process;
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(int(timeout.count()))) {
        return result;
    }
    if (!input.isEmpty()) {
        process.write(input);
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(int(timeout.count()))) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput();
    return result;
}

QStringList findWindows(const QString& titleRegex) {
    const Run found =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), titleRegex});
    return QString::fromUtf8(found.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::optional<QString> waitForWindow(const QString& titleRegex, std::chrono::milliseconds timeout) {
    std::optional<QString> window;
    waitUntil(
        [&] {
            const QStringList windows = findWindows(titleRegex);
            if (!windows.isEmpty()) {
                window = windows.last();
            }
            return window.has_value();
        },
        timeout);
    return window;
}

void focusWindow(const QString& window) {
    // Through the window manager, as a click would; without one, straight to the window.
    if (run(QStringLiteral("xdotool"),
            {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window})
            .exitCode != 0) {
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    }
}

void pressKey(const QString& window, const QString& key) {
    focusWindow(window);
    // A real key event to the focused window: one sent with --window is synthetic, and later
    // real key events go astray after it.
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
}

QStringList visibleWindowsOf(qint64 pid) {
    const Run found =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--pid"), QString::number(pid)});
    return QString::fromUtf8(found.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void xdotool(const QStringList& arguments) {
    run(QStringLiteral("xdotool"), arguments);
}

int windowHeight(const QString& window) {
    const Run got = run(QStringLiteral("xdotool"),
                        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    const auto match =
        QRegularExpression(QStringLiteral("HEIGHT=(\\d+)")).match(QString::fromUtf8(got.output));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void clickTwips(const QString& window, double scale, int left, int top, int width, int height) {
    const auto x = std::lround((left + width / 2.0) * scale);
    const auto y = std::lround((top + height / 2.0) * scale);
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
             QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
}

void setClipboard(const QByteArray& text, const QString& type) {
    // xclip forks a server that stays until another client takes the selection.
    run(QStringLiteral("xclip"),
        {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"), type,
         QStringLiteral("-i")},
        text);
}

std::optional<QByteArray> clipboardText(std::chrono::milliseconds timeout) {
    const Run got =
        run(QStringLiteral("xclip"),
            {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")}, {},
            timeout);
    if (got.exitCode != 0) {
        return std::nullopt;
    }
    return got.output;
}

QStringList clipboardTargets() {
    const Run got = run(QStringLiteral("xclip"),
                        {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                         QStringLiteral("-t"), QStringLiteral("TARGETS"), QStringLiteral("-o")});
    return QString::fromUtf8(got.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

HelperProcess::HelperProcess(const QString& program, const QStringList& arguments) {
    process_.start(program, arguments);
    ready_ = waitUntil([this] {
                 return process_.readAllStandardOutput().contains("ready") || !running();
             }) &&
             running();
}

HelperProcess::~HelperProcess() {
    if (running()) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

RealProgram::RealProgram() {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("ziq-e2e-" + std::to_string(random()));
    fs::create_directories(dir_);
    const fs::path binary(ZIQ2_BINARY);
    fs::copy_file(binary, dir_ / "ZIQ2");
    fs::copy_file(binary.parent_path() / "ziqhelp.txt", dir_ / "ziqhelp.txt");
    // On X11 the program hands its clipboard text to this keeper when it ends.
    const fs::path keeper = binary.parent_path() / "ziq2-clipboard-keeper";
    if (fs::exists(keeper)) {
        fs::copy_file(keeper, dir_ / "ziq2-clipboard-keeper");
    }
    process_.setProgram(QString::fromStdString((dir_ / "ZIQ2").string()));
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    livePrograms().insert(this);
}

RealProgram::~RealProgram() {
    livePrograms().erase(this);
    if (running()) {
        process_.kill();
        process_.waitForFinished(3000);
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

void RealProgram::writeSettings(const std::map<std::string, std::string>& overrides) {
    const std::string folder = dir_.string() + "/";
    std::map<std::string, std::string> values = {{"ZIQ/ON", "1"},
                                                 {"ZIQ/BEEPON", "1"},
                                                 {"ZIQ/AUTOOOPENVIEWERS", "0"},
                                                 {"ZIQ/FREQUENCY", "1"},
                                                 {"ZIQ/AUTOSAVE", "1"},
                                                 {"ZIQ/SAVETYPE", "3"},
                                                 {"ZIQ/SAVEDFILEPATH", folder},
                                                 {"ZIQ/HITNRUN", "0"},
                                                 {"ZIQ/FIRSTRUN", "9"},
                                                 {"LINKCATCHER/ON", "1"},
                                                 {"LINKCATCHER/STRICTURLS", "1"},
                                                 {"LINKCATCHER/AUTOSAVE", "1"},
                                                 {"LINKCATCHER/SAVETYPE", "2"},
                                                 {"LINKCATCHER/linkcatcherSAVEDFILEPATH", folder}};
    for (const auto& [key, value] : overrides) {
        values[key] = value;
    }
    std::ostringstream ini;
    for (const std::string section : {"ZIQ", "LINKCATCHER"}) {
        ini << '[' << section << "]\n";
        for (const auto& [key, value] : values) {
            if (key.rfind(section + "/", 0) == 0) {
                ini << key.substr(section.size() + 1) << '=' << value << '\n';
            }
        }
    }
    std::ofstream(dir_ / "ziq2.ini", std::ios::binary) << ini.str();
}

void RealProgram::start(const QStringList& arguments) {
    process_.setArguments(arguments);
    process_.start();
    process_.waitForStarted(5000);
}

bool RealProgram::running() const {
    return process_.state() != QProcess::NotRunning;
}

bool RealProgram::waitForExit(std::chrono::milliseconds timeout) {
    return waitUntil([this] { return !running(); }, timeout);
}

int RealProgram::exitCode() const {
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

void RealProgram::terminate() {
    process_.terminate();
}

void RealProgram::kill() {
    process_.kill();
    process_.waitForFinished(3000);
}

qint64 RealProgram::pid() const {
    return process_.processId();
}

QByteArray RealProgram::errors() {
    const QByteArray fresh = process_.readAllStandardError();
    errorsSeen_ += fresh;
    return fresh;
}

std::string RealProgram::whatItSaw() {
    std::ostringstream out;
    out << "--- what the test saw of " << dir_.string() << "\n  program: ";
    if (running()) {
        out << "running, pid " << pid() << "\n";
    } else {
        out << "not running, exit code " << exitCode() << "\n";
    }
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const Run offered =
        wayland ? run(QStringLiteral("wl-paste"), {QStringLiteral("--list-types")}, {}, 3s)
                : run(QStringLiteral("xclip"),
                      {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                       QStringLiteral("-t"), QStringLiteral("TARGETS"), QStringLiteral("-o")},
                      {}, 3s);
    out << "  clipboard offers: " << offered.output.simplified().toStdString() << "\n";
    const Run held =
        wayland
            ? run(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}, {}, 3s)
            : run(QStringLiteral("xclip"),
                  {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")},
                  {}, 3s);
    out << "  clipboard holds " << held.output.size()
        << " bytes: " << held.output.left(60).toStdString() << "\n";
    errors();
    out << "  stderr, last lines:\n" << lastLines(errorsSeen_, 10);
    std::optional<fs::path> newest;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(dir_, ignored)) {
        if (entry.path().extension() == ".txt" && entry.path().filename() != "ziqhelp.txt" &&
            (!newest ||
             fs::last_write_time(entry, ignored) > fs::last_write_time(*newest, ignored))) {
            newest = entry.path();
        }
    }
    if (newest) {
        const std::string log = readFile(*newest);
        out << "  newest log " << newest->filename().string() << ", last lines:\n"
            << lastLines(
                   QByteArray::fromStdString(log.substr(log.size() > 4000 ? log.size() - 4000 : 0)),
                   6);
    } else {
        out << "  no log file yet\n";
    }
    return out.str();
}

void reportProgramsOnFailure() {
    testing::UnitTest::GetInstance()->listeners().Append(new FailureReporter); // gtest owns it
}

void RealProgramTest::SetUp() {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
}

void RealProgramTest::TearDown() {
    if (program.running()) {
        program.terminate();
        EXPECT_TRUE(program.waitForExit());
    }
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

bool haveDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace ziq::e2e
