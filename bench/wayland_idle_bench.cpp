// The real ZIQ2 binary in a Wayland session with data control (run through
// tools/with_wayland.sh): with a 10 MiB text on the clipboard, owned by another program
// (wl-copy) and already captured, what each idle tick reads and how much CPU it takes.
// Prints one line per figure. Options: --binary <ZIQ2> (default: the one built beside this),
// --seconds <measurement> (10).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "process_readings.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace {

using namespace std::chrono_literals;
using ziq::bench::waitFor;

void stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// Puts `text` on the clipboard through wl-copy, which stays to serve it.
void offer(QProcess& owner, const QByteArray& text) {
    owner.setStandardOutputFile(QProcess::nullDevice());
    owner.setStandardErrorFile(QProcess::nullDevice());
    owner.start(QStringLiteral("wl-copy"), {QStringLiteral("--foreground")});
    owner.waitForStarted(5000);
    owner.write(text);
    while (owner.bytesToWrite() > 0 && owner.waitForBytesWritten(10000)) {
    }
    owner.closeWriteChannel();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QString binary = QCoreApplication::applicationDirPath() + QStringLiteral("/../ZIQ2");
    int seconds = 10;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--binary")) {
            binary = arguments[i + 1];
        } else if (arguments[i] == QLatin1String("--seconds")) {
            seconds = arguments[i + 1].toInt();
        }
    }
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::printf("wayland idle ticks: no Wayland session (run through tools/with_wayland.sh)\n");
        return 1;
    }

    // The program in a folder of its own; an interval of 50 ms (a frequency other than 1
    // to 5) gives twenty ticks a second.
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("ZIQ2"));
    QFile::copy(binary, program);
    QFile::copy(QFileInfo(binary).dir().filePath(QStringLiteral("ziqhelp.txt")),
                folder.filePath(QStringLiteral("ziqhelp.txt")));
    QFile ini(folder.filePath(QStringLiteral("ziq2.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[ZIQ]\nON=1\nBEEPON=0\nAUTOOOPENVIEWERS=0\nFREQUENCY=0\nAUTOSAVE=1\n"
                             "SAVETYPE=1\nSAVEDFILEPATH=%1/\nHITNRUN=0\nFIRSTRUN=9\n"
                             "[LINKCATCHER]\nON=0\n")
                  .arg(folder.path())
                  .toUtf8());
    ini.close();
    const QString log = folder.filePath(QStringLiteral("ziq.txt"));

    constexpr qsizetype kTextSize = 10 * 1024 * 1024;
    QByteArray text(kTextSize, 'x');
    for (qsizetype i = 0; i < kTextSize; ++i) {
        text[i] = (i % 81 == 80) ? '\n' : char('a' + i % 26);
    }

    QProcess ziq;
    ziq.setStandardOutputFile(QProcess::nullDevice());
    ziq.setStandardErrorFile(QProcess::nullDevice());
    ziq.start(program, {});
    QThread::msleep(2000);
    if (!ziq.waitForStarted(5000) || ziq.state() != QProcess::Running) {
        std::printf("wayland idle ticks: the program did not come up\n");
        return 1;
    }
    const qint64 pid = ziq.processId();

    // Captured once (logged, then rewritten as ours) ...
    QProcess first;
    offer(first, text);
    const bool captured = waitFor([&] { return QFileInfo(log).size() > kTextSize; }, 30s) &&
                          first.waitForFinished(30000);
    // ... then offered again by another program: the same text, so nothing new to capture.
    QProcess owner;
    offer(owner, text);
    QThread::msleep(3000);
    const qint64 logSize = QFileInfo(log).size();
    if (!captured || owner.state() != QProcess::Running) {
        std::printf("wayland idle ticks: the text was not captured, or its owner did not stay\n");
        stop(owner);
        stop(ziq);
        return 1;
    }

    const ziq::bench::IdleCost cost = ziq::bench::measureIdle(pid, owner.processId(), seconds);
    const bool undisturbed = owner.state() == QProcess::Running && QFileInfo(log).size() == logSize;
    stop(owner);
    stop(ziq);

    ziq::bench::printIdle("wayland idle ticks", "wl-copy", cost, undisturbed);
    return 0;
}
