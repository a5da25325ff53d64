// Kills the real program with SIGKILL at random moments while it saves its options, then
// checks that ziq2.ini still parses, holds every key once, and holds for each key either the
// value of the last save that was reported done (the options window closed with no error)
// or the value of the save under way.

#include "e2e/reliability_support.h"

#include <gtest/gtest.h>

#include <iostream>
#include <thread>

namespace ziq::e2e {
namespace {

using Values = std::map<std::string, std::string>; // "SECTION/KEY" -> value

// The settings file as "SECTION/KEY" -> value; empty with `problem` set when it does not
// parse as a sound settings file (a line cut short, a key twice, a stray line).
Values readSettings(const std::filesystem::path& file, std::string& problem) {
    Values values;
    std::string section;
    for (const ProfileLine& line : profileLines(readFile(file))) {
        if (line.kind == ProfileLine::Header &&
            (line.name == "ZIQ" || line.name == "LINKCATCHER")) {
            section = line.name;
        } else if (line.kind == ProfileLine::Entry && !section.empty() &&
                   values.emplace(section + "/" + line.name, line.value).second) {
            continue;
        } else {
            problem = "bad line: " + line.name + "=" + line.value;
            return {};
        }
    }
    return values;
}

// Option buttons and check boxes of the options window: place in twips within the window
// (controls in a frame are offset by the frame's place), and the key each one writes.
struct Control {
    int left, top, width, height;
};
constexpr Control kCheck2{1680, 120, 1215, 495};           // ZIQ/BEEPON
constexpr Control kCheck5{0 + 840, 1920 + 240, 3615, 495}; // ZIQ/AUTOSAVE
constexpr Control kOption1{120, 720 + 360, 1215, 495};     // the first of five, ZIQ/FREQUENCY

// Clicks just right of the control's left edge, on its box or button: a short caption
// leaves the middle of the control outside the part that takes clicks.
void click(const QString& window, double scale, const Control& c) {
    clickTwips(window, scale, c.left, c.top, 300, c.height);
}

std::string flipped(const std::string& state) {
    return state == "1" ? "0" : "1";
}

// Opens the options window from the tray menu ("Options" is its fifth item).
std::optional<QString> openOptions(const QString& icon, qint64 pid) {
    rightClick(icon);
    if (!waitUntil([&] { return visibleWindowsOf(pid).size() > 1; })) {
        return std::nullopt;
    }
    xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"),
             QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
             QStringLiteral("Return")});
    return waitForWindow(QStringLiteral("^ZIQ Options$"));
}

// Changes several settings in the open window and returns what saving should then write.
Values change(const QString& window, const Values& current, std::mt19937& random) {
    const double scale = windowHeight(window) / 8115.0;
    Values wanted = current;
    click(window, scale, kCheck2);
    wanted["ZIQ/BEEPON"] = flipped(current.at("ZIQ/BEEPON"));
    click(window, scale, kCheck5);
    wanted["ZIQ/AUTOSAVE"] = flipped(current.at("ZIQ/AUTOSAVE"));
    // The options to its right move on with a wide font: Option1, then arrows along the row.
    const int frequency = std::uniform_int_distribution(0, 4)(random);
    click(window, scale, kOption1);
    for (int step = 0; step < frequency; ++step) {
        xdotool({QStringLiteral("key"), QStringLiteral("Right")});
    }
    wanted["ZIQ/FREQUENCY"] = std::to_string(frequency + 1);
    return wanted;
}

void save(const QString& window) {
    pressKey(window, QStringLiteral("alt+s"));
}

TEST(CrashWhileSavingOptions, SettingsFileStaysWholeAndKeepsEveryReportedSave) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "needs an X server: run through tools/with_display.sh";
    }
    RealProgram program;
    // Off: the poller leaves the clipboard alone and never logs.
    program.writeSettings({{"ZIQ/ON", "0"}, {"ZIQ/BEEPON", "0"}});
    const std::filesystem::path ini = program.file("ziq2.ini");
    std::string problem;
    Values reported = readSettings(ini, problem);
    ASSERT_TRUE(problem.empty()) << problem;
    FolderWatch watch(program.dir());
    ASSERT_TRUE(watch.ok());
    std::mt19937 random(std::random_device{}());
    const int kills = scaled(60);
    int reportedSaves = 0;
    int killedMidSave = 0;
    int lost = 0;
    auto saveSpan = 50ms; // grows to the longest save seen

    for (int kill = 0; kill < kills; ++kill) {
        const auto icon = startToTray(program);
        ASSERT_TRUE(icon.has_value()) << "no tray icon, kill " << kill;
        ASSERT_TRUE(findWindows(QStringLiteral("^ZIQ2$")).isEmpty())
            << "a message at start-up: the settings file was not sound, kill " << kill;

        const int saves = std::uniform_int_distribution(0, 1)(random);
        for (int done = 0; done <= saves; ++done) {
            const auto window = openOptions(*icon, program.pid());
            ASSERT_TRUE(window.has_value()) << "the options window did not open, kill " << kill;
            const Values wanted = change(*window, reported, random);
            std::this_thread::sleep_for(150ms); // let the clicks land
            watch.drain();
            save(*window);
            if (done < saves) {
                const auto started = std::chrono::steady_clock::now();
                ASSERT_TRUE(waitUntil(
                    [] { return findWindows(QStringLiteral("^ZIQ Options$")).isEmpty(); }));
                saveSpan = std::max(saveSpan, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::steady_clock::now() - started));
                ASSERT_TRUE(findWindows(QStringLiteral("^ZIQ2$")).isEmpty()) << "save failed";
                reported = readSettings(ini, problem);
                ASSERT_TRUE(problem.empty()) << problem;
                EXPECT_EQ(reported, wanted) << "the save did not write what the window showed";
                ++reportedSaves;
                continue;
            }
            if (watch.next(5s)) {
                // The save has begun: die somewhere inside it.
                ++killedMidSave;
                std::this_thread::sleep_for(std::chrono::microseconds(
                    std::uniform_int_distribution<long>(0, saveSpan.count() * 1000)(random)));
            }
            program.kill();

            const Values now = readSettings(ini, problem);
            ASSERT_TRUE(problem.empty()) << "after kill " << kill << ": " << problem;
            for (const auto& [key, value] : reported) {
                const auto kept = now.find(key);
                if (kept == now.end() ||
                    (kept->second != value && kept->second != wanted.at(key))) {
                    ++lost;
                    ADD_FAILURE() << key << " lost or garbled after kill " << kill;
                }
            }
            reported = now; // what the file holds is what the next start reads
        }
    }
    std::cout << "[ figures  ] options kills: " << kills << " (" << killedMidSave
              << " after the save had begun), saves reported: " << reportedSaves
              << ", reported values lost: " << lost << std::endl;
    EXPECT_EQ(lost, 0);
}

} // namespace
} // namespace ziq::e2e
