// Recording one capture in a scheme 1 clipboard log ("ziq.txt"): into an empty log and into
// logs of growing size, with the module's writer (with and without change notices) and with a
// naive whole-file rewrite.

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "bench_files.h"
#include "naive_profile_writer.h"
#include "profile/profile_file.h"
#include "profile/profile_test_hooks.h"

namespace ziq::bench {
namespace {

constexpr std::string_view kCapture =
    "Meeting moved to Thursday 10:30, room 4.12 - agenda in the shared folder.";
constexpr std::uint64_t kMiB = 1024 * 1024;

ScratchFolder& scratch() {
    static ScratchFolder folder;
    return folder;
}

// A log of `mib` MiB (0: empty) for one kind of benchmark, made once: the benchmark library
// runs each benchmark several times to find its iteration count.
std::filesystem::path preparedLog(const std::string& kind, std::int64_t mib) {
    static std::map<std::string, std::filesystem::path> made;
    const std::string name = kind + "-" + std::to_string(mib);
    auto [at, isNew] = made.try_emplace(name, scratch().path() / name / "ziq.txt");
    if (isNew) {
        std::filesystem::create_directories(at->second.parent_path());
        writeLog(at->second, static_cast<std::uint64_t>(mib) * kMiB);
    }
    return at->second;
}

bool record(const std::filesystem::path& log) {
    return profile::writeString(nextSection(), "TEXT", kCapture, log,
                                profile::NewFileAccess::OwnerOnly);
}

// Steady state: the program has run a while, so its first write (which learns a large log
// once) is behind it. An empty log is emptied again before every capture.
void BM_RecordCapture(benchmark::State& state) {
    const std::int64_t mib = state.range(0);
    const std::filesystem::path log = preparedLog("ours", mib);
    if (!record(log)) {
        state.SkipWithError("the first write failed");
        return;
    }
    profile::testing::resetIoCounters();
    for (auto _ : state) {
        if (mib == 0) {
            state.PauseTiming();
            std::filesystem::resize_file(log, 0);
            state.ResumeTiming();
        }
        if (!record(log)) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.counters["log_MiB"] = static_cast<double>(std::filesystem::file_size(log)) / kMiB;
    // Above a few KiB, some captures read the whole log again.
    state.counters["read_KiB"] = static_cast<double>(profile::testing::ioCounters().bytesRead) /
                                 1024 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RecordCapture)
    ->Arg(0)
    ->Arg(1)
    ->Arg(16)
    ->Arg(200)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// Where the system reports no changes to files (Windows, some network file systems), no index
// is kept: every capture reads the log.
void BM_RecordCaptureWithoutChangeNotices(benchmark::State& state) {
    const std::filesystem::path log = preparedLog("unwatched", state.range(0));
    profile::testing::setChangeWatching(false);
    for (auto _ : state) {
        if (!record(log)) {
            state.SkipWithError("write failed");
            break;
        }
    }
    profile::testing::setChangeWatching(true);
}
BENCHMARK(BM_RecordCaptureWithoutChangeNotices)
    ->Arg(1)
    ->Arg(16)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordCaptureWithoutChangeNotices)
    ->Arg(200)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The first capture after start-up: the log is not known yet and is read once.
void BM_FirstCaptureAfterStart(benchmark::State& state) {
    const std::filesystem::path log = preparedLog("first", state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        profile::testing::clearIndexCache();
        state.ResumeTiming();
        if (!record(log)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_FirstCaptureAfterStart)
    ->Arg(200)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The baseline: every capture reads and rewrites the whole log.
void BM_NaiveRewrite(benchmark::State& state) {
    const std::int64_t mib = state.range(0);
    const std::filesystem::path log = preparedLog("naive", mib);
    for (auto _ : state) {
        if (mib == 0) {
            state.PauseTiming();
            std::filesystem::resize_file(log, 0);
            state.ResumeTiming();
        }
        if (!naiveWriteString(nextSection(), "TEXT", kCapture, log)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_NaiveRewrite)->Arg(0)->Arg(1)->Arg(16)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NaiveRewrite)->Arg(200)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace ziq::bench
