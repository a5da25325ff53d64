// ziq2-history on a synthetic history of three years: 1,000,000 captures (about 350 MB, mostly
// short texts, some multi-line, a few of 50 KB) laid out once as day files and once as one
// ziq.txt, each with a link log. Times the newest 50 and a full search beside ripgrep and grep
// on the same files, and the peak resident memory. Reports; asserts nothing.
//   bench_history --binary build/ziq2-history [--captures N] [--keep]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kWord = "zanzibar";
constexpr int kDays = 3 * 365;

struct Layout {
    fs::path program; // holds ziq2-history and its ziq2.ini
    fs::path clips;
    fs::path links;
};

std::string dateStamp(int day) {
    // Day 0 is 2023-01-01; days walk the calendar forward.
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 2023;
    int month = 0;
    while (true) {
        const bool leap = year % 4 == 0;
        const int length = kMonthDays[month] + (month == 1 && leap ? 1 : 0);
        if (day < length) {
            break;
        }
        day -= length;
        if (++month == 12) {
            month = 0;
            ++year;
        }
    }
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month + 1, day + 1);
    return text;
}

std::string timeStamp(int second) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d%02d%02d", second / 3600, second / 60 % 60, second % 60);
    return text;
}

class TextMaker {
public:
    std::string word() {
        static const char* kSyllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "ti", "vo",
                                           "be", "da", "fu", "go", "hi", "ja", "pe", "zu"};
        std::string out;
        const int syllables = 1 + static_cast<int>(random_() % 4);
        for (int i = 0; i < syllables; ++i) {
            out += kSyllables[random_() % 16];
        }
        if (random_() % 10 == 0) {
            out[0] = static_cast<char>(out[0] - 32);
        }
        return out;
    }
    std::string line(std::size_t length) {
        std::string out;
        while (out.size() < length) {
            if (!out.empty()) {
                out += ' ';
            }
            out += random_() % 1000 == 0 ? (random_() % 2 ? "Zanzibar" : kWord) : word();
        }
        return out;
    }
    // Mostly short texts, some multi-line, one in a thousand of 50 KB.
    std::string capture() {
        const unsigned kind = random_() % 1000;
        if (kind == 0) {
            std::string out;
            while (out.size() < 50 * 1024) {
                out += line(70) + "\r\n";
            }
            return out;
        }
        if (kind < 100) {
            std::string out = line(60);
            for (int lines = 2 + static_cast<int>(random_() % 8); lines > 0; --lines) {
                out += "\r\n" + line(20 + random_() % 60);
            }
            return out;
        }
        return line(20 + random_() % 470);
    }
    bool isLink() { return random_() % 10 == 0; }
    std::string link() { return "https://" + word() + ".example.org/" + word(); }
    unsigned next() { return random_(); }

private:
    std::mt19937 random_{20261208};
};

void writeIni(const Layout& layout) {
    std::ofstream(layout.program / "ziq2.ini", std::ios::binary)
        << "[ZIQ]\nSAVEDFILEPATH=" << layout.clips.string() << "/\n[LINKCATCHER]\n"
        << "linkcatcherSAVEDFILEPATH=" << layout.links.string() << "/\n";
}

// Both layouts at once, from the same captures.
void generate(const Layout& days, const Layout& one, long captures) {
    TextMaker maker;
    std::ofstream ziq(one.clips / "ziq.txt", std::ios::binary);
    std::ofstream ziqurl(one.links / "ziqurl.txt", std::ios::binary);
    const long perDay = captures / kDays;
    long written = 0;
    for (int day = 0; day < kDays; ++day) {
        const std::string date = dateStamp(day);
        std::ofstream dayFile(days.clips / (date + ".txt"), std::ios::binary);
        std::ofstream linkFile;
        std::string linkHour;
        bool linkSection = false;
        const long today = day == kDays - 1 ? captures - written : perDay;
        const int step = std::max(1, static_cast<int>(86000 / std::max(1L, today)));
        for (long i = 0; i < today; ++i, ++written) {
            const int second = static_cast<int>(std::min<long>(86399, 60 + i * step));
            const std::string stamp = date + timeStamp(second);
            const bool link = maker.isLink();
            const std::string text = link ? maker.link() : maker.capture();
            const std::string entry = "[" + stamp + "]\nTEXT=" + text + "\n";
            dayFile << entry;
            ziq << entry;
            if (link) {
                const std::string time = timeStamp(second);
                if (!linkFile.is_open()) {
                    linkFile.open(days.links / ("u" + date + ".txt"), std::ios::binary);
                }
                if (time.substr(0, 2) != linkHour) {
                    linkHour = time.substr(0, 2);
                    linkFile << "[" << linkHour << "]\n";
                }
                linkFile << time.substr(2) << "=" << text << "\n";
                if (!linkSection) {
                    ziqurl << "[" << date << "]\n";
                    linkSection = true;
                }
                ziqurl << time << "=" << text << "\n";
            }
        }
    }
}

std::uint64_t folderBytes(const fs::path& folder) {
    std::uint64_t total = 0;
    for (const auto& file : fs::directory_iterator(folder)) {
        total += file.file_size();
    }
    return total;
}

// Where the commands' output goes; named after the benchmark's own process.
std::string outputFile() {
    static const std::string file =
        (fs::temp_directory_path() / ("ziq-history-bench-out-" + std::to_string(getpid())))
            .string();
    return file;
}

struct Timing {
    double ms = 0;
    double cpuMs = 0;
    long maxRssKb = 0;
    int code = 0;
};

// Runs the command with its output thrown away; the wall time and the child's peak memory.
Timing runOnce(const std::vector<std::string>& command) {
    const auto start = std::chrono::steady_clock::now();
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        // GNU grep stops at the first match when its output is /dev/null: use a real file.
        std::freopen(outputFile().c_str(), "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (const std::string& part : command) {
            argv.push_back(const_cast<char*>(part.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Timing timing;
    timing.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    timing.maxRssKb = usage.ru_maxrss;
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    timing.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    timing.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return timing;
}

// The median of `runs` runs after one warm-up, with the largest peak memory.
Timing measure(const std::vector<std::string>& command, int runs) {
    runOnce(command);
    std::vector<double> times;
    std::vector<double> cpu;
    Timing result;
    for (int i = 0; i < runs; ++i) {
        const Timing one = runOnce(command);
        times.push_back(one.ms);
        cpu.push_back(one.cpuMs);
        result.maxRssKb = std::max(result.maxRssKb, one.maxRssKb);
        result.code = one.code;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    result.ms = times[times.size() / 2];
    result.cpuMs = cpu[cpu.size() / 2];
    return result;
}

void report(const char* what, const Timing& timing) {
    std::printf("  %-46s %8.1f ms wall %8.1f ms CPU   peak RSS %6.1f MB   exit %d\n", what,
                timing.ms, timing.cpuMs, timing.maxRssKb / 1024.0, timing.code);
}

void benchLayout(const char* name, const Layout& layout, const fs::path& binary) {
    const std::string history = (layout.program / binary.filename()).string();
    const std::string clips = layout.clips.string();
    const std::string links = layout.links.string();
    std::printf("%s: %.0f MB of clipboard log, %.0f MB of link log\n", name,
                folderBytes(layout.clips) / 1e6, folderBytes(layout.links) / 1e6);
    report("ziq2-history --list --limit 50", measure({history, "--list", "--limit", "50"}, 11));
    if (std::getenv("DISPLAY") != nullptr) {
        // The window ends once it has drawn its newest entries, or then the first that a
        // word finds (a hook for this benchmark); the search is the difference.
        setenv("ZIQ2_HISTORY_QUIT_WHEN_LISTED", "", 1);
        const Timing start = measure({history}, 11);
        setenv("ZIQ2_HISTORY_QUIT_WHEN_LISTED", kWord, 1);
        const Timing searched = measure({history}, 11);
        unsetenv("ZIQ2_HISTORY_QUIT_WHEN_LISTED");
        report("ziq2-history window, start to newest shown", start);
        report("  then typed zanzibar to its first shown", searched);
        std::printf("  window search to first results: %.1f ms wall\n", searched.ms - start.ms);
    }
    report("ziq2-history --list --limit 50 --json",
           measure({history, "--list", "--limit", "50", "--json"}, 11));
    const Timing ours = measure({history, "--list", "--limit", "1000000", kWord}, 5);
    const Timing rg = measure({"rg", "-i", "-F", "-c", kWord, clips, links}, 5);
    const Timing grep = measure({"grep", "-r", "-i", "-F", "-c", kWord, clips, links}, 5);
    report("ziq2-history --list --limit 1000000 zanzibar", ours);
    report("rg -i -F -c zanzibar", rg);
    report("grep -r -i -F -c zanzibar", grep);
    std::printf(
        "  full search, wall: %.2f x ripgrep, %.2f x grep; CPU: %.2f x ripgrep, %.2f x grep\n",
        ours.ms / rg.ms, ours.ms / grep.ms, ours.cpuMs / rg.cpuMs, ours.cpuMs / grep.cpuMs);
    report("ziq2-history --list --since --until (one day)",
           measure({history, "--list", "--since", "2024-06-01", "--until", "2024-06-01"}, 5));
}

} // namespace

int main(int argc, char* argv[]) {
    fs::path binary;
    long captures = 1000000;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--binary" && i + 1 < argc) {
            binary = fs::absolute(argv[++i]);
        } else if (argument == "--captures" && i + 1 < argc) {
            captures = std::atol(argv[++i]);
        } else if (argument == "--keep") {
            keep = true;
        }
    }
    if (binary.empty() || !fs::exists(binary)) {
        std::fprintf(stderr, "usage: bench_history --binary PATH/ziq2-history [--captures N]\n");
        return 2;
    }
    const fs::path root =
        fs::temp_directory_path() / ("ziq-history-bench-" + std::to_string(getpid()));
    const auto layoutIn = [&](const char* name) {
        Layout layout{root / name / "program", root / name / "clips", root / name / "links"};
        for (const fs::path& folder : {layout.program, layout.clips, layout.links}) {
            fs::create_directories(folder);
        }
        fs::copy_file(binary, layout.program / binary.filename());
        writeIni(layout);
        return layout;
    };
    const Layout days = layoutIn("days");
    const Layout one = layoutIn("one");
    outputFile(); // named before any child asks
    const auto start = std::chrono::steady_clock::now();
    generate(days, one, captures);
    std::printf("generated %ld captures over %d days in %.1f s in %s\n", captures, kDays,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                root.c_str());
    benchLayout("day files (YYYYMMDD.txt, uYYYYMMDD.txt)", days, binary);
    benchLayout("one file (ziq.txt, ziqurl.txt)", one, binary);
    fs::remove(outputFile());
    if (!keep) {
        fs::remove_all(root);
    }
    return 0;
}
