#!/usr/bin/env bash
# Builds ZIQ2 and runs every test: the unit and widget tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short fuzz run of the profile files, then every test of the
# normal build, the real program under Xvfb with a window manager and a tray host, xclip and
# xdotool included.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
jobs=$(nproc)

# Formatting and layering first: they take seconds and name every file that strays.
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
tools/include_graph.sh >/dev/null

# GCC's flow warnings misfire on sanitizer-instrumented code: warnings stay warnings here.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=OFF \
    -DZIQ_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -E '^test_e2e'

# See fuzz/README.md for a longer run.
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$jobs"
mkdir -p build-fuzz/corpus
cp -n fuzz/corpus/profile/* build-fuzz/corpus/
if ! build-fuzz/profile_fuzzer -max_total_time="${ZIQ_FUZZ_SECONDS:-60}" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/ build-fuzz/corpus >build-fuzz/fuzz.log 2>&1; then
    tail -n 40 build-fuzz/fuzz.log >&2
    exit 1
fi
grep -E '^(Done|profile fuzzer)' build-fuzz/fuzz.log

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
tools/with_display.sh ctest --test-dir build --output-on-failure -j1
# Last, the same core on Windows: built with mingw-w64 and tested under Wine.
tools/windows_check.sh
