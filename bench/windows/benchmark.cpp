#include "benchmark/benchmark.h"

#include <cstdio>
#include <memory>

namespace benchmark {

namespace {

std::vector<std::unique_ptr<Benchmark>>& registered() {
    static std::vector<std::unique_ptr<Benchmark>> all;
    return all;
}

// Long enough that flushing a just-written log (the first capture) is not in the figure.
constexpr auto kMinimumTime = std::chrono::seconds(2);

} // namespace

Benchmark* registerBenchmark(const char* name, void (*function)(State&)) {
    registered().push_back(std::make_unique<Benchmark>(name, function));
    return registered().back().get();
}

void Benchmark::run() const {
    for (const std::int64_t argument : arguments_) {
        std::int64_t iterations = iterations_ > 0 ? iterations_ : 1;
        while (true) {
            State state(argument, iterations);
            function_(state);
            if (!state.error().empty()) {
                std::printf("%s/%lld  ERROR: %s\n", name_.c_str(), static_cast<long long>(argument),
                            state.error().c_str());
                break;
            }
            if (iterations_ == 0 && state.elapsed() < kMinimumTime && iterations < 1'000'000) {
                iterations *= 10;
                continue;
            }
            const double seconds = std::chrono::duration<double>(state.elapsed()).count();
            const double perIteration = seconds / static_cast<double>(iterations);
            const bool micro = unit_ == kMicrosecond;
            std::printf("%s/%lld/iterations:%lld/real_time  %12.1f %s", name_.c_str(),
                        static_cast<long long>(argument), static_cast<long long>(iterations),
                        perIteration * (micro ? 1e6 : 1e3), micro ? "us" : "ms");
            for (const auto& [counter, value] : state.counters) {
                std::printf("  %s=%g", counter.c_str(), value);
            }
            std::printf("\n");
            break;
        }
    }
}

} // namespace benchmark

// --benchmark_filter=TEXT runs only the benchmarks whose name holds TEXT.
int main(int argc, char** argv) {
    std::string filter;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--benchmark_filter=", 0) == 0) {
            filter = argument.substr(19);
        }
    }
    for (const auto& benchmark : benchmark::registered()) {
        if (benchmark->name().find(filter) != std::string::npos) {
            benchmark->run();
        }
    }
    return 0;
}
