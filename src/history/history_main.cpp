#include "history/history_cli.h"
#include "history/history_window_app.h"
#include "history/log_files.h"
#include "platform/clipboard/system_clipboard.h"
#include "platform/system/app_info.h"
#include "platform/system/executable_directory.h"
#include "platform/system/file_folders.h"
#include "settings/settings_paths.h"

#include <QGuiApplication>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#endif

namespace {

// Windows go to XWayland where it exists, as ZIQ2's do; the clipboard reaches Wayland through
// its own connection.
void choosePlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb");
    }
}

// Puts the text on the clipboard and hands it on, as ZIQ2 does at exit, so that it outlives
// this short-lived program.
bool copyToClipboard(int argc, char* argv[], const std::string& text) {
    choosePlatform();
    QGuiApplication application(argc, argv);
    const std::unique_ptr<ziq::SystemClipboard> clipboard = ziq::openSystemClipboard();
    if (!clipboard->writeText(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())))) {
        return false;
    }
    QCoreApplication::processEvents();
    clipboard->keepTextAfterExit();
    return true;
}

// The arguments after the program's name, as UTF-8.
std::vector<std::string> argumentsOf(int argc, char* argv[]) {
#ifdef _WIN32
    // argv holds the system code page's text; words and IDs may need more.
    (void)argv;
    std::vector<std::string> out;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), length, nullptr, nullptr);
        text.resize(text.size() - 1);
        out.push_back(std::move(text));
    }
    LocalFree(wide);
    (void)argc;
    return out;
#else
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef _WIN32
    // --print gives the entry's bytes exactly: no CR put before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> arguments = argumentsOf(argc, argv);
    ziq::AppInfo app;
    app.programDir = ziq::executableDirectory();
    // The same ziq2.ini as ZIQ2's, in the user's folders when installed system-wide.
    app.settingsDir = ziq::fileFoldersFor(app.programDir).settings;
    const std::string settingsFile = ziq::settingsFilePath(app);
    if (!ziq::history::wantsCommandLine(arguments)) {
#ifdef _WIN32
        // Opened from a shortcut or a key, the window came with a console of its own.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1) {
            FreeConsole();
        }
#endif
        choosePlatform();
        return ziq::history::runHistoryWindow(argc, argv,
                                              ziq::history::logFoldersFromSettings(settingsFile));
    }
    std::error_code error;
    ziq::history::CliContext context{
        ziq::history::logFoldersFromSettings(settingsFile),
        settingsFile,
        std::filesystem::is_regular_file(ziq::filePath(settingsFile), error),
        std::cout,
        std::cerr,
        [&](const std::string& text) { return copyToClipboard(argc, argv, text); }};
    return ziq::history::runCommandLine(arguments, context);
}
