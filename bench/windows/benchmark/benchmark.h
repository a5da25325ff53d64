#pragma once

// WORKAROUND: Debian ships Google Benchmark for Linux only, and nothing may be downloaded at
// build time; the Windows cross build of bench_log_append gets this small stand-in with the
// part of its interface that benchmark uses: a fixed argument, iterations grown until a run
// takes two seconds (or as many as asked for), wall-clock time per iteration.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace benchmark {

enum TimeUnit { kMicrosecond, kMillisecond };

class State {
public:
    State(std::int64_t argument, std::int64_t iterations)
        : argument_(argument), iterations_(iterations) {}

    std::int64_t range(int) const { return argument_; }
    void PauseTiming() { pauseStart_ = Clock::now(); }
    void ResumeTiming() { paused_ += Clock::now() - pauseStart_; }
    void SkipWithError(const char* message) {
        error_ = message;
        left_ = 0;
    }

    struct Iterator {
        State* state;
        bool operator!=(const Iterator&) const { return state->keepRunning(); }
        Iterator& operator++() { return *this; }
        struct Value {
            ~Value() {} // a value of its own, like the library's: no unused-variable warning
        };
        Value operator*() const { return {}; }
    };
    Iterator begin() {
        left_ = iterations_;
        start_ = Clock::now();
        return Iterator{this};
    }
    Iterator end() { return Iterator{this}; }

    std::map<std::string, double> counters;

    using Clock = std::chrono::steady_clock;
    Clock::duration elapsed() const { return stop_ - start_ - paused_; }
    std::int64_t iterations() const { return iterations_; }
    const std::string& error() const { return error_; }

private:
    bool keepRunning() {
        if (left_-- > 0) {
            return true;
        }
        stop_ = Clock::now();
        return false;
    }

    std::int64_t argument_;
    std::int64_t iterations_;
    std::int64_t left_ = 0;
    Clock::time_point start_{}, stop_{}, pauseStart_{};
    Clock::duration paused_{};
    std::string error_;
};

class Benchmark {
public:
    Benchmark(std::string name, void (*function)(State&))
        : name_(std::move(name)), function_(function) {}
    Benchmark* Arg(std::int64_t argument) {
        arguments_.push_back(argument);
        return this;
    }
    Benchmark* Iterations(std::int64_t count) {
        iterations_ = count;
        return this;
    }
    Benchmark* UseRealTime() { return this; } // wall clock is all this stand-in measures
    Benchmark* Unit(TimeUnit unit) {
        unit_ = unit;
        return this;
    }
    void run() const;
    const std::string& name() const { return name_; }

private:
    std::string name_;
    void (*function_)(State&);
    std::vector<std::int64_t> arguments_;
    std::int64_t iterations_ = 0;
    TimeUnit unit_ = kMicrosecond;
};

// Keeps the benchmark for main() to run.
Benchmark* registerBenchmark(const char* name, void (*function)(State&));

} // namespace benchmark

#define BENCHMARK_CONCAT_(a, b) a##b
#define BENCHMARK_NAME_(line) BENCHMARK_CONCAT_(benchmark_registered_, line)
#define BENCHMARK(function)                                                                        \
    [[maybe_unused]] static ::benchmark::Benchmark* BENCHMARK_NAME_(__LINE__) =                    \
        ::benchmark::registerBenchmark(#function, function)
