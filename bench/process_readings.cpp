#include "process_readings.h"

#include <QDir>
#include <QThread>

#include <cstdio>
#include <fstream>

namespace ziq::bench {

std::uint64_t procField(qint64 pid, const std::string& file, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stoull(line.substr(field.size() + 1));
        }
    }
    return 0;
}

std::uint64_t cpuNs(qint64 pid) {
    std::uint64_t total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream in(tasks.filePath(task + QStringLiteral("/schedstat")).toStdString());
        std::uint64_t ns = 0;
        in >> ns;
        total += ns;
    }
    return total;
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

IdleCost measureIdle(qint64 pid, qint64 ownerPid, int seconds) {
    IdleCost cost;
    const std::uint64_t servedBefore = procField(ownerPid, "io", "wchar");
    const std::uint64_t readBefore = procField(pid, "io", "rchar");
    const std::uint64_t callsBefore = procField(pid, "io", "syscr");
    const std::uint64_t cpuBefore = cpuNs(pid);
    const auto start = std::chrono::steady_clock::now();
    QThread::sleep(static_cast<unsigned long>(seconds));
    cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.served = procField(ownerPid, "io", "wchar") - servedBefore;
    cost.read = procField(pid, "io", "rchar") - readBefore;
    cost.calls = procField(pid, "io", "syscr") - callsBefore;
    cost.cpuNs = cpuNs(pid) - cpuBefore;
    return cost;
}

void printIdle(const char* label, const char* owner, const IdleCost& cost, bool undisturbed) {
    const double ticks = cost.seconds / 0.05;
    std::printf("%s: %.0f in %.1f s with a 10 MiB text owned by %s%s\n", label, ticks, cost.seconds,
                owner, undisturbed ? "" : " (DISTURBED: the clipboard or the log changed)");
    std::printf("  clipboard bytes served to the program per tick: %.0f\n",
                double(cost.served) / ticks);
    std::printf("  bytes read by the program per tick (rchar): %.0f, read calls per tick: %.1f\n",
                double(cost.read) / ticks, double(cost.calls) / ticks);
    std::printf("  CPU time per tick: %.3f ms\n", double(cost.cpuNs) / ticks / 1e6);
}

} // namespace ziq::bench
