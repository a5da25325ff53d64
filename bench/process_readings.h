#pragma once

#include <QtGlobal>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// What the end-to-end benchmarks read about a running process, and their bounded wait.
namespace ziq::bench {

// A "Name: value" field of /proc/<pid>/<file> ("status", "io"); 0 when it is not there.
std::uint64_t procField(qint64 pid, const std::string& file, const std::string& field);
// CPU time of every thread of the process, in nanoseconds.
std::uint64_t cpuNs(qint64 pid);
// Polls `done` every 20 ms; false when `timeout` passed first.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// What a program costs while it sits idle next to a clipboard owner, over `seconds`.
struct IdleCost {
    double seconds = 0;
    std::uint64_t served = 0; // bytes the owner wrote (what it served the program)
    std::uint64_t read = 0;   // bytes the program read (rchar)
    std::uint64_t calls = 0;  // read calls of the program
    std::uint64_t cpuNs = 0;
};
IdleCost measureIdle(qint64 pid, qint64 ownerPid, int seconds);
// Prints the cost per tick of the program's 50 ms timer.
void printIdle(const char* label, const char* owner, const IdleCost& cost, bool undisturbed);

} // namespace ziq::bench
