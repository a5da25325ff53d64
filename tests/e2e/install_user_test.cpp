// tools/install.sh, autostart.sh and uninstall.sh in a home folder of their own: the menu
// entries pass desktop-file-validate, the installed program starts both from the command on
// PATH and from the menu entry (through GLib's launcher), docks in the tray, keeps its
// settings in its own folder, and uninstalling leaves settings and logs alone.

#include "e2e/tray_e2e.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <array>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>

#ifndef ZIQ2_SOURCE_DIR
#error "ZIQ2_SOURCE_DIR must name the source tree that holds tools/"
#endif

namespace ziq::e2e {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    QString output; // stdout and stderr together
};

// Width and height from a PNG file's header; {0, 0} when it is not a PNG.
std::array<std::uint32_t, 2> pngSize(const fs::path& file) {
    std::array<unsigned char, 24> head{};
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    if (!in || head[1] != 'P' || head[2] != 'N' || head[3] != 'G') {
        return {0, 0};
    }
    const auto word = [&head](std::size_t at) {
        return std::uint32_t(head[at]) << 24 | std::uint32_t(head[at + 1]) << 16 |
               std::uint32_t(head[at + 2]) << 8 | std::uint32_t(head[at + 3]);
    };
    return {word(16), word(20)};
}

// Processes running the program file `exe`, found the way the system names them.
std::vector<pid_t> processesOf(const fs::path& exe) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const fs::path target = fs::read_symlink(entry.path() / "exe", error);
        if (!error && target == exe) {
            found.push_back(pid_t(std::stol(name)));
        }
    }
    return found;
}

class UserInstall : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        // Characters that desktop entries must quote or escape.
        home = fs::path(temp.path().toStdString()) / "Jo's home $HOME \"q\" back\\slash";
        fs::create_directories(home);
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.remove(QStringLiteral("SUDO_USER"));
    }

    void TearDown() override {
        for (const pid_t pid : processesOf(lib() / "ZIQ2")) {
            ::kill(pid, SIGKILL);
        }
    }

    Outcome execute(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(home.string()));
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        Outcome outcome;
        if (!process.waitForStarted(10000)) {
            outcome.output = process.errorString();
            return outcome;
        }
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
        }
        outcome.output = QString::fromUtf8(process.readAll());
        if (process.exitStatus() == QProcess::NormalExit) {
            outcome.exitCode = process.exitCode();
        }
        return outcome;
    }

    // The program outlives the launcher: it must not inherit a pipe that closes under it.
    int launchEntry(const fs::path& entry) {
        QProcess gio;
        gio.setProcessEnvironment(env);
        gio.setStandardOutputFile(QProcess::nullDevice());
        gio.setStandardErrorFile(QProcess::nullDevice());
        gio.start(QStringLiteral("gio"),
                  {QStringLiteral("launch"), QString::fromStdString(entry.string())});
        if (!gio.waitForFinished(30000) || gio.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return gio.exitCode();
    }

    Outcome tool(const char* script, const QStringList& arguments = {}) {
        return execute(QStringLiteral(ZIQ2_SOURCE_DIR "/tools/") + QLatin1String(script),
                       arguments);
    }

    Outcome install() {
        const QString build = QString::fromStdString(fs::path(ZIQ2_BINARY).parent_path().string());
        return tool("install.sh", {QStringLiteral("--from"), build});
    }

    // No output at all: desktop-file-validate prints its warnings and hints too.
    void expectValidEntry(const fs::path& entry) {
        const Outcome check = execute(QStringLiteral("desktop-file-validate"),
                                      {QString::fromStdString(entry.string())});
        EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
        EXPECT_TRUE(check.output.isEmpty()) << check.output.toStdString();
    }

    // Ends a copy of the installed program the way the session does, and waits until it has.
    void endProgram(pid_t pid) {
        ::kill(pid, SIGTERM);
        EXPECT_TRUE(waitUntil([&] { return processesOf(lib() / "ZIQ2").empty(); }))
            << "the program did not end";
    }

    fs::path lib() const { return home / ".local/lib/ziq2"; }
    fs::path launcher() const { return home / ".local/bin/ziq2"; }
    fs::path appEntry() const { return home / ".local/share/applications/ziq2.desktop"; }
    fs::path autostartEntry() const { return home / ".config/autostart/ziq2.desktop"; }
    fs::path icon(const char* size) const {
        return home / ".local/share/icons/hicolor" / size / "apps/ziq2.png";
    }

    QTemporaryDir temp;
    fs::path home;
    QProcessEnvironment env;
};

TEST_F(UserInstall, InstallsStartsFromPathAndMenuDocksAndUninstallsKeepingSettingsAndLogs) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    for (int round = 0; round < 2; ++round) {
        const Outcome installed = install();
        ASSERT_EQ(installed.exitCode, 0) << installed.output.toStdString();
    }
    for (const char* file : {"ZIQ2", "ziqhelp.txt", "ziq2-clipboard-keeper", "ziq2-history"}) {
        EXPECT_TRUE(fs::is_regular_file(lib() / file)) << file;
    }
    EXPECT_EQ(fs::read_symlink(launcher()), lib() / "ZIQ2");
    EXPECT_EQ(pngSize(icon("32x32")), (std::array<std::uint32_t, 2>{32, 32}));
    EXPECT_EQ(pngSize(icon("256x256")), (std::array<std::uint32_t, 2>{256, 256}));
    expectValidEntry(appEntry());
    // The action starts the installed history window (its path quoted as the main Exec).
    const std::string entry = readFile(appEntry());
    const std::size_t action = entry.find("Name=Search Clipboard History\nExec=\"");
    EXPECT_NE(action, std::string::npos) << entry;
    EXPECT_NE(entry.find("/.local/lib/ziq2/ziq2-history\"\n", action), std::string::npos) << entry;

    for (int round = 0; round < 2; ++round) {
        const Outcome on = tool("autostart.sh", {QStringLiteral("on")});
        ASSERT_EQ(on.exitCode, 0) << on.output.toStdString();
    }
    expectValidEntry(autostartEntry());
    // The menu entry, told to wait for the panel that holds the tray: the keys end its main
    // group, before the action's.
    std::string waiting = readFile(appEntry());
    const std::size_t actions = waiting.find("\n\n[Desktop Action");
    ASSERT_NE(actions, std::string::npos) << waiting;
    waiting.insert(
        actions + 1,
        "X-GNOME-Autostart-Delay=5\nX-KDE-autostart-after=panel\nX-LXQt-Need-Tray=true\n");
    EXPECT_EQ(readFile(autostartEntry()), waiting);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(tool("autostart.sh", {QStringLiteral("off")}).exitCode, 0);
    }
    EXPECT_FALSE(fs::exists(autostartEntry()));
    ASSERT_EQ(tool("autostart.sh", {QStringLiteral("on")}).exitCode, 0);

    // The command on PATH, started elsewhere: the first run greets and writes its settings
    // beside the real program, not beside the link nor in the working folder.
    QProcess fromPath;
    fromPath.setProcessEnvironment(env);
    fromPath.setWorkingDirectory(QString::fromStdString(home.string()));
    fromPath.start(QString::fromStdString(launcher().string()), {});
    ASSERT_TRUE(fromPath.waitForStarted(5000));
    const auto welcome = waitForWindow(QStringLiteral("^ZIQ2$"), 15s);
    ASSERT_TRUE(welcome.has_value()) << "no welcome message";
    EXPECT_TRUE(waitForTrayIcon(fromPath.processId()).has_value()) << "no tray icon";
    const std::string settings = readFile(lib() / "ziq2.ini");
    EXPECT_NE(settings.find("FIRSTRUN=9"), std::string::npos) << settings;
    EXPECT_NE(settings.find("SAVEDFILEPATH=" + lib().string() + "/\n"), std::string::npos)
        << settings;
    EXPECT_FALSE(fs::exists(home / "ziq2.ini"));
    // Leave the clipboard alone from here on: it is read once the message is answered.
    {
        std::string quiet = settings;
        const std::size_t on = quiet.find("\nON=1");
        ASSERT_NE(on, std::string::npos) << settings;
        quiet.replace(on, 5, "\nON=0");
        std::ofstream(lib() / "ziq2.ini", std::ios::binary | std::ios::trunc) << quiet;
    }
    pressKey(*welcome, QStringLiteral("Return"));
    endProgram(pid_t(fromPath.processId()));
    fromPath.waitForFinished(5000);

    // The menu entry, started by GLib's launcher as a GLib-based desktop does.
    ASSERT_EQ(launchEntry(appEntry()), 0);
    std::vector<pid_t> fromMenu;
    ASSERT_TRUE(waitUntil([&] { return !(fromMenu = processesOf(lib() / "ZIQ2")).empty(); }))
        << "the menu entry started no installed ZIQ2";
    EXPECT_TRUE(waitForTrayIcon(fromMenu.front()).has_value()) << "no tray icon";
    EXPECT_TRUE(findWindows(QStringLiteral("^ZIQ2$")).isEmpty()) << "welcomed a second time";
    endProgram(fromMenu.front());

    std::ofstream(lib() / "20240125.txt") << "[20240125093005]\nTEXT=kept\n";
    const std::string settingsBefore = readFile(lib() / "ziq2.ini");
    for (int round = 0; round < 2; ++round) {
        const Outcome removed = tool("uninstall.sh");
        ASSERT_EQ(removed.exitCode, 0) << removed.output.toStdString();
    }
    for (const fs::path& gone :
         {lib() / "ZIQ2", lib() / "ziqhelp.txt", lib() / "ziq2-clipboard-keeper",
          lib() / "ziq2-history", launcher(), appEntry(), autostartEntry(), icon("32x32"),
          icon("256x256")}) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(gone))) << gone;
    }
    EXPECT_EQ(readFile(lib() / "ziq2.ini"), settingsBefore);
    EXPECT_EQ(readFile(lib() / "20240125.txt"), "[20240125093005]\nTEXT=kept\n");
}

TEST_F(UserInstall, RefusesWhatItCannotDoAndRemovesOnlyWhatItPut) {
    const Outcome noProgram = tool("install.sh", {QStringLiteral("--from"), temp.path()});
    EXPECT_NE(noProgram.exitCode, 0);
    EXPECT_TRUE(noProgram.output.contains(QStringLiteral("no ZIQ2 program")))
        << noProgram.output.toStdString();
    EXPECT_FALSE(fs::exists(lib()));

    const Outcome early = tool("autostart.sh", {QStringLiteral("on")});
    EXPECT_NE(early.exitCode, 0);
    EXPECT_TRUE(early.output.contains(QStringLiteral("tools/install.sh")));
    EXPECT_FALSE(fs::exists(autostartEntry()));

    // Someone else's `ziq2` command is never replaced nor removed.
    fs::create_directories(launcher().parent_path());
    std::ofstream(launcher()) << "#!/bin/sh\necho another ziq2\n";
    const Outcome clash = install();
    EXPECT_NE(clash.exitCode, 0);
    EXPECT_TRUE(clash.output.contains(QStringLiteral("not ZIQ2's"))) << clash.output.toStdString();
    fs::remove(launcher());
    ASSERT_EQ(install().exitCode, 0);
    fs::remove(launcher());
    std::ofstream(launcher()) << "#!/bin/sh\necho another ziq2\n";

    const Outcome removed = tool("uninstall.sh");
    EXPECT_EQ(removed.exitCode, 0) << removed.output.toStdString();
    EXPECT_EQ(readFile(launcher()), "#!/bin/sh\necho another ziq2\n");
    // Nothing of the user's was in the program folder, so it goes as well.
    EXPECT_FALSE(fs::exists(lib()));
    EXPECT_FALSE(fs::exists(appEntry()));
    EXPECT_FALSE(fs::exists(home / ".local/share/icons/hicolor/32x32"));
}

} // namespace
} // namespace ziq::e2e
