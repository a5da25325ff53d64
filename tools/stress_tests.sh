#!/usr/bin/env bash
# Shakes out tests that depend on timing: runs the unit and widget tests of the sanitizer build
# (build-asan, as tools/test.sh builds it) 20 times in a row, then three times more while a
# build at the lowest priority keeps every core busy, as on a shared build machine; in that
# busy spell it also runs every end-to-end suite of the normal build twice, each on its own:
# X11, the StatusNotifierItem trays (XFCE, waybar), the Wayland sessions (sway with and
# without XWayland, mutter), and the Wine table of the Windows zip (tests/e2e/wine_e2e.sh;
# skipped, saying so, without a Qt for Windows). Prints how many runs failed and names each
# failed test; the logs of failed runs stay in build-asan/stress/. Not part of tools/test.sh:
# once the builds are made, it takes about an hour and a half.
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
source tools/windows_env.sh
zip=""
if have_qt_windows; then
    configure_windows
    cmake --build build-windows -j"$jobs" --target ziq2-test-secret-owner ziq2-test-file-holder ziq2-test-clipboard-history >/dev/null
    zip=$(tools/package_windows.sh | tail -n1)
else
    echo "stress: no Qt for Windows at $qt_windows: the Wine table is skipped"
fi
rm -rf build-asan/stress
mkdir -p build-asan/stress

failed=0
total=0
unit_tests() {
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs" -E '^test_e2e'
}
end_to_end_suite() { # as ctest names it
    tools/with_display.sh ctest --test-dir build --output-on-failure -j1 -R "^$1\$"
}
e2e_suites=$(ctest --test-dir build -N -R '^test_e2e' | sed -n 's/^ *Test *#[0-9]*: *//p')
failed_tests=()
suite() { # name of the run, then the command
    local log="build-asan/stress/$1.log" name
    total=$((total + 1))
    if "${@:2}" >"$log" 2>&1; then
        rm "$log"
        echo "run $1: passed"
        return 0
    fi
    failed=$((failed + 1))
    echo "run $1: FAILED (see $log)"
    # gtest's failed tests, ctest's failed suites and the Wine table's failed checks.
    while IFS= read -r name; do
        echo "  failed: $name"
        failed_tests+=("$1: $name")
    done < <(sed -n -E -e 's/^\[  FAILED  \] ([A-Za-z0-9_/]+\.[A-Za-z0-9_/]+).*/\1/p' \
        -e 's/^[[:space:]]+[0-9]+ - ([^ ]+) \(.*/\1/p' -e 's/^FAIL (.*)/wine: \1/p' "$log" |
        awk '!seen[$0]++')
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
    for name in $e2e_suites; do
        suite "busy-$i-$name" end_to_end_suite "$name"
    done
    [ -z "$zip" ] || suite "busy-$i-wine" wine_end_to_end "$zip"
done
kill -0 "$builder" 2>/dev/null || echo "(the background build stopped early: the machine was less busy)"
echo "stress: $total runs, $failed failed (load average $(cut -d' ' -f1 /proc/loadavg) at the end)"
[ -n "$zip" ] || echo "stress: the Wine table was skipped: no Qt for Windows at $qt_windows"
for name in "${failed_tests[@]}"; do echo "  failed: $name"; done
[ "$failed" -eq 0 ]
