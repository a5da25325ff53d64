// The real ZIQ2 binary under a real X server (run through tools/with_display.sh):
//  - start-up: from process start to the tray icon docked in the tray host, and the resident
//    set once idle;
//  - idle ticks: with a 10 MiB text on the clipboard, owned by another program (xclip) and
//    already captured, what each tick reads and how much CPU it takes.
// Prints one line per figure. Options: --binary <ZIQ2> (default: the one built beside this),
// --runs <start-ups> (10), --seconds <idle measurement> (10).

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <xcb/xcb.h>

#include "process_readings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ziq::bench::procField;
using ziq::bench::waitFor;

// ---- /proc readings -------------------------------------------------------------------------

// ---- the X server ---------------------------------------------------------------------------

class XDisplay {
public:
    XDisplay() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_) != 0) {
            return;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        netWmPid_ = atom("_NET_WM_PID");
        clipboard_ = atom("CLIPBOARD");
    }
    ~XDisplay() { xcb_disconnect(connection_); }
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool ok() const { return root_ != 0; }

    // A mapped window of process `pid` that a tray host has embedded (its parent is not the
    // root window). The whole tree is walked a level at a time, one round trip per level.
    bool trayIconDocked(qint64 pid) {
        std::vector<xcb_window_t> level{root_};
        std::vector<xcb_window_t> embedded;
        for (int depth = 0; !level.empty(); ++depth) {
            std::vector<xcb_query_tree_cookie_t> cookies;
            for (const xcb_window_t window : level) {
                cookies.push_back(xcb_query_tree(connection_, window));
            }
            std::vector<xcb_window_t> next;
            for (const auto cookie : cookies) {
                std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
                    xcb_query_tree_reply(connection_, cookie, nullptr), &free);
                if (!tree) {
                    continue;
                }
                const xcb_window_t* children = xcb_query_tree_children(tree.get());
                next.insert(next.end(), children,
                            children + xcb_query_tree_children_length(tree.get()));
            }
            if (depth > 0) {
                embedded.insert(embedded.end(), next.begin(), next.end());
            }
            level = std::move(next);
        }
        std::vector<xcb_get_property_cookie_t> pids;
        std::vector<xcb_get_window_attributes_cookie_t> attributes;
        for (const xcb_window_t window : embedded) {
            pids.push_back(
                xcb_get_property(connection_, 0, window, netWmPid_, XCB_ATOM_CARDINAL, 0, 1));
            attributes.push_back(xcb_get_window_attributes(connection_, window));
        }
        bool found = false;
        for (std::size_t i = 0; i < embedded.size(); ++i) {
            std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> property(
                xcb_get_property_reply(connection_, pids[i], nullptr), &free);
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> state(
                xcb_get_window_attributes_reply(connection_, attributes[i], nullptr), &free);
            if (property && state && xcb_get_property_value_length(property.get()) == 4 &&
                *static_cast<const std::uint32_t*>(xcb_get_property_value(property.get())) ==
                    std::uint32_t(pid) &&
                state->map_state == XCB_MAP_STATE_VIEWABLE) {
                found = true;
            }
        }
        return found;
    }

    xcb_window_t clipboardOwner() {
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&free)> owner(
            xcb_get_selection_owner_reply(
                connection_, xcb_get_selection_owner(connection_, clipboard_), nullptr),
            &free);
        return owner ? owner->owner : 0;
    }

private:
    xcb_atom_t atom(const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
            xcb_intern_atom_reply(
                connection_, xcb_intern_atom(connection_, 0, std::uint16_t(strlen(name)), name),
                nullptr),
            &free);
        return reply ? reply->atom : 0;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_atom_t netWmPid_ = 0;
    xcb_atom_t clipboard_ = 0;
};

// ---- the program ----------------------------------------------------------------------------

// The binary with its help text in a program folder of its own, with initialised settings.
class ProgramFolder {
public:
    ProgramFolder(const QString& binary, const std::map<std::string, std::string>& settings) {
        const QString from = QFileInfo(binary).absolutePath();
        for (const QString& name :
             {QStringLiteral("ziqhelp.txt"), QStringLiteral("ziq2-clipboard-keeper")}) {
            QFile::copy(from + QLatin1Char('/') + name, dir_.filePath(name));
        }
        QFile::copy(binary, program());
        std::map<std::string, std::string> values = {{"ZIQ/ON", "1"},
                                                     {"ZIQ/BEEPON", "0"},
                                                     {"ZIQ/AUTOOOPENVIEWERS", "0"},
                                                     {"ZIQ/FREQUENCY", "1"},
                                                     {"ZIQ/AUTOSAVE", "1"},
                                                     {"ZIQ/SAVETYPE", "1"},
                                                     {"ZIQ/HITNRUN", "0"},
                                                     {"ZIQ/FIRSTRUN", "9"},
                                                     {"LINKCATCHER/ON", "1"},
                                                     {"LINKCATCHER/STRICTURLS", "1"},
                                                     {"LINKCATCHER/AUTOSAVE", "1"},
                                                     {"LINKCATCHER/SAVETYPE", "1"}};
        const std::string folder = dir_.path().toStdString() + "/";
        values["ZIQ/SAVEDFILEPATH"] = folder;
        values["LINKCATCHER/linkcatcherSAVEDFILEPATH"] = folder;
        for (const auto& [key, value] : settings) {
            values[key] = value;
        }
        std::ofstream ini(dir_.filePath(QStringLiteral("ziq2.ini")).toStdString());
        for (const std::string section : {"ZIQ", "LINKCATCHER"}) {
            ini << '[' << section << "]\n";
            for (const auto& [key, value] : values) {
                if (key.rfind(section + "/", 0) == 0) {
                    ini << key.substr(section.size() + 1) << '=' << value << '\n';
                }
            }
        }
    }
    QString program() const { return dir_.filePath(QStringLiteral("ZIQ2")); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

void stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

struct Figures {
    std::vector<double> values;
    void add(double value) { values.push_back(value); }
    double median() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    double max() const {
        return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    }
};

// ---- measurements ---------------------------------------------------------------------------

bool measureStartUp(const QString& binary, int runs, XDisplay& display) {
    Figures startUp;
    Figures rss;
    for (int run = 0; run <= runs; ++run) { // run 0 warms the disk cache and is not counted
        ProgramFolder folder(binary, {});
        QProcess program;
        program.setStandardOutputFile(QProcess::nullDevice());
        program.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        program.start(folder.program(), {});
        if (!program.waitForStarted(5000)) {
            std::printf("start-up: the program did not start\n");
            return false;
        }
        const qint64 pid = program.processId();
        while (!display.trayIconDocked(pid) && timer.elapsed() < 10000) {
            QThread::usleep(500);
        }
        const double elapsedMs = double(timer.nsecsElapsed()) / 1e6;
        if (elapsedMs >= 10000) {
            std::printf("start-up: no tray icon within 10 s (is a tray host running?)\n");
            stop(program);
            return false;
        }
        QThread::msleep(3000); // idle: first ticks done, nothing on the clipboard to take
        const double rssMiB = double(procField(pid, "status", "VmRSS")) / 1024;
        stop(program);
        if (run > 0) {
            startUp.add(elapsedMs);
            rss.add(rssMiB);
        }
    }
    std::printf("start-up to tray icon docked: median %.0f ms, max %.0f ms (%d runs)\n",
                startUp.median(), startUp.max(), runs);
    std::printf("idle resident set (VmRSS): median %.1f MiB, max %.1f MiB\n", rss.median(),
                rss.max());
    return true;
}

bool measureIdleTicks(const QString& binary, int seconds, XDisplay& display) {
    constexpr qsizetype kTextSize = 10 * 1024 * 1024;
    QByteArray text(kTextSize, 'x');
    for (qsizetype i = 0; i < kTextSize; ++i) {
        text[i] = (i % 81 == 80) ? '\n' : char('a' + i % 26);
    }
    // An interval of 50 ms (a frequency other than 1 to 5) gives twenty ticks a second.
    ProgramFolder folder(binary, {{"ZIQ/FREQUENCY", "0"}});
    const QString log = folder.file(QStringLiteral("ziq.txt"));
    const auto offer = [&](QProcess& owner) {
        owner.setStandardOutputFile(QProcess::nullDevice());
        owner.setStandardErrorFile(QProcess::nullDevice());
        owner.start(QStringLiteral("xclip"),
                    {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                     QStringLiteral("clipboard"), QStringLiteral("-i")});
        owner.waitForStarted(5000);
        owner.write(text);
        while (owner.bytesToWrite() > 0 && owner.waitForBytesWritten(10000)) {
        }
        owner.closeWriteChannel(); // xclip takes the clipboard once its input ends
    };
    // Whether the process still runs (its end is noticed only when asked for).
    const auto alive = [](QProcess& process) {
        return process.state() == QProcess::Running && !process.waitForFinished(0);
    };

    QProcess program;
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    program.start(folder.program(), {});
    if (!program.waitForStarted(5000) ||
        !waitFor([&] { return display.trayIconDocked(program.processId()); }, 10s)) {
        std::printf("idle ticks: the program did not come up\n");
        stop(program);
        return false;
    }
    const qint64 pid = program.processId();

    // Captured once (logged, then rewritten as ours) ...
    QProcess first;
    offer(first);
    const bool captured = waitFor([&] { return QFileInfo(log).size() > kTextSize; }, 30s) &&
                          first.waitForFinished(30000);
    // ... then offered again by another program: the same text, so nothing new to capture.
    QProcess owner;
    offer(owner);
    QThread::msleep(2000);
    const xcb_window_t ownerWindow = display.clipboardOwner();
    const qint64 logSize = QFileInfo(log).size();
    if (!captured || !alive(owner)) {
        std::printf("idle ticks: the text was not captured, or its owner did not stay\n");
        stop(owner);
        stop(program);
        return false;
    }

    const ziq::bench::IdleCost cost = ziq::bench::measureIdle(pid, owner.processId(), seconds);
    const bool undisturbed =
        display.clipboardOwner() == ownerWindow && alive(owner) && QFileInfo(log).size() == logSize;
    stop(owner);
    stop(program);

    ziq::bench::printIdle("idle ticks", "xclip", cost, undisturbed);
    return undisturbed;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QString binary = QStringLiteral(ZIQ2_BINARY);
    int runs = 10;
    int seconds = 10;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--binary")) {
            binary = arguments[i + 1];
        } else if (arguments[i] == QLatin1String("--runs")) {
            runs = std::max(1, arguments[i + 1].toInt());
        } else if (arguments[i] == QLatin1String("--seconds")) {
            seconds = std::max(1, arguments[i + 1].toInt());
        }
    }
    XDisplay display;
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !display.ok()) {
        std::printf("needs an X server with a tray host: run through tools/with_display.sh\n");
        return 2;
    }
    std::printf("binary: %s\n", qPrintable(binary));
    const bool startUp = measureStartUp(binary, runs, display);
    const bool idle = measureIdleTicks(binary, seconds, display);
    return startUp && idle ? 0 : 1;
}
