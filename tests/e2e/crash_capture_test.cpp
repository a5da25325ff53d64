// Kills the real program with SIGKILL at random moments while it records captures, then
// checks that every log still parses and holds every entry that had been reported written.
// A capture counts as reported once the program owns the clipboard with that text: it puts
// the text back only after its log write returned. A caught link counts as reported once the
// next capture is, since each tick runs to its end before the next one starts.

#include "e2e/reliability_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <regex>
#include <set>
#include <thread>

namespace ziq::e2e {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

// Texts are "entry <n> " followed by filler; some are large, so a kill can land inside the
// log write, and some are links (short), so the link log is written as well.
std::string textOf(int n) {
    if (n % 5 == 0) {
        return "http://example.com/entry" + std::to_string(n);
    }
    const std::size_t sizes[] = {16, 300, 40'000, 1'000'000};
    std::string text = "entry " + std::to_string(n) + " ";
    text.append(sizes[n % 4] + std::size_t(n), char('a' + n % 26));
    return text;
}

bool weOwnTheClipboard() {
    // xclip offers UTF8_STRING only; the program's plain text comes as text/plain too.
    return clipboardTargets().contains(QStringLiteral("text/plain"));
}

struct LogCheck {
    int torn = 0; // lines cut short by a kill (unreported entries, then closed by a later one)
    std::set<int> found;
    std::string problem;
};

constexpr std::string_view kPrefixes[] = {"entry ", "http://example.com/entry"};

// The entry number a logged value names, or -1.
int entryNumber(std::string_view value) {
    for (const std::string_view prefix : kPrefixes) {
        if (!value.starts_with(prefix)) {
            continue;
        }
        value.remove_prefix(prefix.size());
        int n = 0;
        std::size_t digits = 0;
        for (; digits < value.size() && std::isdigit(static_cast<unsigned char>(value[digits]));
             ++digits) {
            n = n * 10 + (value[digits] - '0');
        }
        return digits > 0 ? n : -1;
    }
    return -1;
}

// A value cut short by a kill: the start of some entry's text.
bool cutShort(const std::string& value) {
    const int n = entryNumber(value);
    if (n >= 0) {
        return textOf(n).starts_with(value);
    }
    return std::any_of(std::begin(kPrefixes), std::end(kPrefixes),
                       [&](std::string_view prefix) { return prefix.starts_with(value); });
}

// Every line of every log: a header, a complete entry of a known text, or a line cut short.
LogCheck checkLogs(const fs::path& folder) {
    static const std::regex logName(R"(ziq\.txt|ziqurl\.txt|u?\d{8}(_\d{6})?\.txt)");
    static const std::regex section(R"(\d{2}|\d{8}|\d{14}|LogEntry)");
    LogCheck check;
    for (const auto& file : fs::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        if (!std::regex_match(name, logName)) {
            continue;
        }
        for (const ProfileLine& line : profileLines(readFile(file.path()))) {
            if (line.kind == ProfileLine::Header && std::regex_match(line.name, section)) {
                continue;
            }
            if (line.kind == ProfileLine::Other) {
                ++check.torn; // a header or an entry cut short before its "=" or "]"
                continue;
            }
            const int n = line.kind == ProfileLine::Entry ? entryNumber(line.value) : -1;
            if (n >= 0 && line.value == textOf(n)) {
                check.found.insert(n);
                continue;
            }
            if (line.kind == ProfileLine::Entry && cutShort(line.value)) {
                ++check.torn;
                continue;
            }
            check.problem = name + ": unexpected line " + line.name.substr(0, 40) + "=" +
                            line.value.substr(0, 40);
            return check;
        }
    }
    return check;
}

TEST(CrashWhileCapturing, NoReportedEntryIsLostAndEveryLogParses) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    RealProgram program;
    FolderWatch watch(program.dir());
    ASSERT_TRUE(watch.ok());
    std::mt19937 random(std::random_device{}());
    const int kills = scaled(150);
    std::set<int> reported;
    std::set<int> reportedLinks;
    int next = 0;
    int targeted = 0;
    Clock::time_point lastReport{};

    for (int kill = 0; kill < kills; ++kill) {
        // Each run logs under another scheme; all write into the program folder.
        const int scheme = kill % 3 + 1;
        // A frequency that is no choice keeps the timer at its first 50 ms: quick captures.
        program.writeSettings({{"ZIQ/SAVETYPE", std::to_string(scheme)},
                               {"ZIQ/BEEPON", "0"},
                               {"ZIQ/FREQUENCY", "9"},
                               {"LINKCATCHER/SAVETYPE", std::to_string(kill % 2 + 1)}});
        setClipboard(QByteArray());
        program.start();
        ASSERT_TRUE(program.running());
        std::this_thread::sleep_for(200ms); // the first tick has seen the empty clipboard

        // A few captures that complete, then one during which the program dies.
        const int complete = std::uniform_int_distribution(0, 2)(random);
        for (int capture = 0; capture <= complete; ++capture) {
            // One capture per second at most: captures in the same second share a section
            // (or a file) on purpose, and the later one replaces the earlier.
            const auto second = std::chrono::floor<std::chrono::seconds>(lastReport);
            while (std::chrono::floor<std::chrono::seconds>(Clock::now()) <= second) {
                std::this_thread::sleep_for(20ms);
            }
            const int n = next++;
            const std::string text = textOf(n);
            watch.drain();
            setClipboard(QByteArray::fromStdString(text));
            if (capture < complete) {
                ASSERT_TRUE(waitUntil(weOwnTheClipboard, 30s)) << "entry " << n;
                lastReport = Clock::now();
                reported.insert(n);
                if ((n - 1) % 5 == 0 && reported.contains(n - 1)) {
                    reportedLinks.insert(n - 1);
                }
                continue;
            }
            if (std::bernoulli_distribution(0.5)(random)) {
                // At a random moment of the capture: reading, writing, rewriting the clipboard.
                std::this_thread::sleep_for(
                    std::chrono::milliseconds(std::uniform_int_distribution(0, 400)(random)));
            } else if (watch.next(5s)) {
                // Just as the log file starts to change.
                ++targeted;
                std::this_thread::sleep_for(
                    std::chrono::microseconds(std::uniform_int_distribution(0, 3000)(random)));
            }
            program.kill();
        }

        if (kill % 25 != 24) {
            continue; // the logs grow large: read them through now and then, and at the end
        }
        const LogCheck check = checkLogs(program.dir());
        ASSERT_TRUE(check.problem.empty()) << "after kill " << kill << ": " << check.problem;
        for (const int n : reported) {
            ASSERT_TRUE(check.found.contains(n))
                << "reported entry " << n << " lost, kill " << kill;
        }
    }

    const LogCheck check = checkLogs(program.dir());
    ASSERT_TRUE(check.problem.empty()) << check.problem;
    int linksFound = 0;
    for (const int n : reportedLinks) {
        linksFound += check.found.contains(n) ? 1 : 0;
    }
    const auto lost = reported.size() -
                      std::size_t(std::count_if(reported.begin(), reported.end(),
                                                [&](int n) { return check.found.contains(n); }));
    std::cout << "[ figures  ] capture kills: " << kills << " (" << targeted
              << " as a log file changed), entries reported: " << reported.size()
              << ", links reported: " << reportedLinks.size()
              << ", lines cut short by a kill: " << check.torn
              << ", reported entries lost: " << lost
              << ", reported links lost: " << reportedLinks.size() - std::size_t(linksFound)
              << std::endl;
    EXPECT_EQ(lost, 0u);
    EXPECT_EQ(linksFound, int(reportedLinks.size()));
}

} // namespace
} // namespace ziq::e2e
