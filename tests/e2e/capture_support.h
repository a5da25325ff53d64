#pragma once

#include "e2e/e2e_harness.h"

#include <QProcess>
#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#ifndef ZIQ2_CLIPBOARD_SERVER
#error "ZIQ2_CLIPBOARD_SERVER must name the test clipboard server"
#endif

namespace ziq::e2e {

// A 1x1 picture, offered by xclip as image/png only.
inline QByteArray tinyPng() {
    return QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChw"
        "GA60e6kgAAAABJRU5ErkJggg==");
}

// The clipboard log files (default and daily schemes name them by date) in the program folder.
inline std::vector<std::filesystem::path> clipboardLogs(const RealProgram& program) {
    static const std::regex name(R"(\d{8}(_\d{6})?\.txt|ziq\.txt)");
    std::vector<std::filesystem::path> logs;
    for (const auto& entry : std::filesystem::directory_iterator(program.dir())) {
        if (std::regex_match(entry.path().filename().string(), name)) {
            logs.push_back(entry.path());
        }
    }
    return logs;
}

inline std::string allClipboardLogs(const RealProgram& program) {
    std::string text;
    for (const auto& log : clipboardLogs(program)) {
        text += readFile(log);
    }
    return text;
}

inline int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Captures in the same second share a log section on purpose, the later replacing the
// earlier; a test that wants its next capture logged beside the last one copies in a later
// second. (A slow read stamps its capture late, so two ticks apart is not enough.)
inline void waitForTheNextSecond() {
    const auto second = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    while (std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()) <= second) {
        std::this_thread::sleep_for(20ms);
    }
}

// Whether a clipboard keeper started from the program's folder is still running.
inline bool keeperRunning(const RealProgram& program) {
    const QString keeper =
        QString::fromStdString((program.dir() / "ziq2-clipboard-keeper").string());
    return run(QStringLiteral("pgrep"), {QStringLiteral("-f"), QLatin1Char('^') + keeper})
               .exitCode == 0;
}

// Owns the clipboard with several formats at once, which xclip cannot offer.
class ClipboardServer : public HelperProcess {
public:
    explicit ClipboardServer(const QStringList& arguments)
        : HelperProcess(QStringLiteral(ZIQ2_CLIPBOARD_SERVER), arguments) {}
};

} // namespace ziq::e2e
