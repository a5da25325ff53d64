#include "bench_files.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace ziq::bench {

ScratchFolder::ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("ziq-bench-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeLog(const std::filesystem::path& file, std::uint64_t bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    // Captures of a few dozen to a few hundred characters, as people copy them.
    static const std::string words = "The quick brown fox jumps over the lazy dog; "
                                     "see https://example.org/a/b?c=d for more. ";
    std::mt19937 random(7);
    std::string chunk;
    std::uint64_t written = 0;
    char section[40];
    for (std::uint64_t i = 0; written < bytes; ++i) {
        std::snprintf(section, sizeof section,
                      "[2004%010llu]\nTEXT=", static_cast<unsigned long long>(i));
        chunk = section;
        const std::size_t length = 20 + random() % 300;
        for (std::size_t n = 0; n < length; ++n) {
            chunk += words[(i + n) % words.size()];
        }
        chunk += '\n';
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        written += chunk.size();
    }
}

std::string nextSection() {
    static unsigned long long counter = 0;
    char section[24];
    std::snprintf(section, sizeof section, "2099%010llu", ++counter);
    return section;
}

std::uint64_t statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(prefix)) {
            return std::stoull(line.substr(prefix.size()));
        }
    }
    return 0;
}

bool resetPeakMemory() {
    std::ofstream refs("/proc/self/clear_refs");
    refs << "5";
    return static_cast<bool>(refs.flush());
}

} // namespace ziq::bench
