#!/usr/bin/env bash
# Shakes out tests that depend on timing: runs the unit and widget tests of the sanitizer build
# (build-asan, as tools/test.sh builds it) 20 times in a row, then three times more while a
# build at the lowest priority keeps every core busy, as on a shared build machine; in that
# busy spell it also runs the end-to-end suites that capture and kill the real program
# (test_e2e, test_e2e_reliability of the normal build) twice. Prints how many runs failed;
# the logs of failed runs stay in build-asan/stress/. Not part of tools/test.sh: once both
# builds are made, it takes about half an hour.
#   ZIQ_STRESS_RUNS=50 tools/stress_tests.sh   # more runs in a row
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
jobs=$(nproc)
runs=${ZIQ_STRESS_RUNS:-20}

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=OFF \
    -DZIQ_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs" >/dev/null
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=ON >/dev/null
cmake --build build -j"$jobs" >/dev/null
rm -rf build-asan/stress
mkdir -p build-asan/stress

failed=0
total=0
unit_tests() {
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs" -E '^test_e2e'
}
end_to_end_tests() {
    tools/with_display.sh ctest --test-dir build --output-on-failure -j1 \
        -R '^test_e2e(_reliability)?$'
}
suite() { # name of the run, then the command
    total=$((total + 1))
    if "$2" >"build-asan/stress/$1.log" 2>&1; then
        rm "build-asan/stress/$1.log"
        echo "run $1: passed"
    else
        failed=$((failed + 1))
        echo "run $1: FAILED ($(grep -c -E '\*\*\*Failed|\(Failed\)|Subprocess aborted|Timeout' \
            "build-asan/stress/$1.log") tests; see build-asan/stress/$1.log)"
    fi
}

for i in $(seq "$runs"); do
    suite "$i" unit_tests
done

# The same suites again on a machine that is busy: builds of the program from scratch (no
# compiler cache) on every core at the lowest priority, one after the other, in a folder of
# their own. They run in a session of their own, and where the kernel groups its scheduling
# by session (autogroup), that session gets half the machine whatever its priority: harsher
# than a shared build machine, on purpose.
load=$(mktemp -d)
cmake -S . -B "$load" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=OFF >/dev/null
CCACHE_DISABLE=1 setsid nice -n 19 bash -c \
    'while cmake --build "$1" --clean-first -j"$2" >/dev/null 2>&1; do :; done' _ \
    "$load" "$((jobs * 2))" &
builder=$!
trap 'kill -- -"$builder" 2>/dev/null; wait "$builder" 2>/dev/null || true; rm -rf "$load"' EXIT
sleep 20 # let the build get going: the load average trails
for i in 1 2 3; do
    suite "busy-$i" unit_tests
done
for i in 1 2; do
    suite "busy-e2e-$i" end_to_end_tests
done
kill -0 "$builder" 2>/dev/null || echo "(the background build stopped early: the machine was less busy)"
echo "stress: $total runs, $failed failed (load average $(cut -d' ' -f1 /proc/loadavg) at the end)"
[ "$failed" -eq 0 ]
