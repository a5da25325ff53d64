// Memory of capturing a 20 MiB text and serving it to three pastes at once, through the
// clipboard seam the program uses: data control where the session offers it
// (tools/with_wayland.sh), else the toolkit's X11 clipboard (tools/with_display.sh).
// Another program owns the text first (wl-copy, xclip); the seam reads it, puts it back as
// plain text, and three pastes (wl-paste, xclip -o) read it at the same time. Prints the peak
// resident memory (VmHWM) above the resident set before the capture, as a multiple of the text.

#include "platform/clipboard/system_clipboard.h"
#include "process_readings.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace {

using namespace std::chrono_literals;
constexpr qsizetype kTextBytes = 20 * 1024 * 1024;

} // namespace

int main(int argc, char* argv[]) {
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    const QByteArray text(kTextBytes, 'm');

    // Both fork a server that ends once the selection is taken from it.
    QProcess owner;
    owner.start(wayland ? QStringLiteral("wl-copy") : QStringLiteral("xclip"),
                wayland ? QStringList{}
                        : QStringList{QStringLiteral("-selection"), QStringLiteral("clipboard")});
    owner.write(text);
    owner.closeWriteChannel();
    owner.waitForFinished(10000);
    QTest::qWait(1000); // the owner takes the selection

    const std::unique_ptr<ziq::SystemClipboard> clipboard = ziq::openSystemClipboard();
    const qint64 self = QCoreApplication::applicationPid();
    const auto residentKiB = [self] { return ziq::bench::procField(self, "status", "VmRSS"); };
    std::ofstream("/proc/self/clear_refs") << "5"; // VmHWM starts again from VmRSS
    const std::uint64_t before = residentKiB();

    // Read again until it comes: a clipboard that looks in the background answers later.
    std::optional<QString> captured;
    (void)QTest::qWaitFor(
        [&] {
            clipboard->changeCount();
            captured = clipboard->readText();
            return captured && captured->size() == kTextBytes;
        },
        30000);
    if (!captured || captured->size() != kTextBytes) {
        std::fputs("clipboard_serve_bench: the text was not captured\n", stderr);
        return 1;
    }
    clipboard->clear();
    clipboard->writeText(*captured);
    QTest::qWait(500);
    std::vector<std::unique_ptr<QProcess>> pastes;
    for (int i = 0; i < 3; ++i) {
        auto paste = std::make_unique<QProcess>();
        paste->setStandardOutputFile(QProcess::nullDevice());
        paste->start(wayland ? QStringLiteral("wl-paste") : QStringLiteral("xclip"),
                     wayland ? QStringList{}
                             : QStringList{QStringLiteral("-selection"),
                                           QStringLiteral("clipboard"), QStringLiteral("-o")});
        pastes.push_back(std::move(paste));
    }
    const bool served = QTest::qWaitFor(
        [&] {
            for (const auto& paste : pastes) {
                if (paste->state() != QProcess::NotRunning) {
                    return false;
                }
            }
            return true;
        },
        60000);
    const std::uint64_t peak = ziq::bench::procField(self, "status", "VmHWM");
    std::printf("[ figures  ] %s: capture and three pastes of a 20 MiB text%s: peak %.0f MiB above "
                "the %.0f MiB before = %.2f x the text\n",
                wayland ? "Wayland (data control)" : "X11 (toolkit)",
                served ? "" : " (pastes unfinished)", double(peak - before) / 1024,
                double(before) / 1024, double(peak - before) * 1024 / double(kTextBytes));
    return served ? 0 : 1;
}
