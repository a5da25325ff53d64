#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Scratch files and memory readings shared by the benchmarks.
namespace ziq::bench {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A scheme 1 clipboard log of at least `bytes` bytes: one section per past capture.
void writeLog(const std::filesystem::path& file, std::uint64_t bytes);

// A section name no earlier call gave: 14 digits, like a date and time stamp.
std::string nextSection();

// A value of /proc/self/status in kB (VmRSS, VmHWM), 0 where there is none.
std::uint64_t statusKb(const char* field);
// Starts VmHWM afresh from the current resident set (Linux 4.0 and later).
bool resetPeakMemory();

} // namespace ziq::bench
