#!/usr/bin/env bash
# Builds ZIQ2 and runs every test: the unit and widget tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short fuzz run of the profile files, then every test of the
# normal build, the real program under Xvfb with a window manager and a tray host, xclip and
# xdotool included, and last the Windows part.
# Every step runs, whatever failed before it, unless it needs a build that failed; the
# failures are listed together at the end, and the script exits non-zero if there were any.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
jobs=$(nproc)

failed=()
skipped=()
# step NAME [--after STEP] COMMAND...: runs the command with errexit on; a failure is noted
# and the next step runs. With --after, the step is skipped, saying why, when STEP did not pass.
step() {
    local name=$1 status=0
    shift
    if [ "${1:-}" = --after ]; then
        local needed=$2
        shift 2
        if [[ " ${failed[*]} ${skipped[*]} " == *" $needed "* ]]; then
            echo "=== $name: skipped: it needs $needed, which did not pass" >&2
            skipped+=("$name")
            return 0
        fi
    fi
    echo "=== $name"
    set +e
    (set -e; "$@")
    status=$?
    set -e
    if [ "$status" -ne 0 ]; then
        echo "=== $name: FAILED (exit status $status)" >&2
        failed+=("$name")
    fi
}

# The tests of a build folder that failed its last run, as ctest names them.
failed_tests() {
    [ -f "$1/Testing/Temporary/LastTestsFailed.log" ] &&
        sed 's/^[0-9]*:/    /' "$1/Testing/Temporary/LastTestsFailed.log"
}

check_format() { git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; }
check_layering() { tools/include_graph.sh >/dev/null; }

# GCC's flow warnings misfire on sanitizer-instrumented code: warnings stay warnings here.
build_sanitized() {
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=OFF \
        -DZIQ_SANITIZE=ON >/dev/null
    cmake --build build-asan -j"$jobs"
}
sanitized_tests() {
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs" -E '^test_e2e'
}

# See fuzz/README.md for a longer run.
fuzz_profiles() {
    cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build build-fuzz -j"$jobs"
    mkdir -p build-fuzz/corpus
    cp -n fuzz/corpus/profile/* build-fuzz/corpus/
    if ! build-fuzz/profile_fuzzer -max_total_time="${ZIQ_FUZZ_SECONDS:-60}" \
        -print_final_stats=1 -artifact_prefix=build-fuzz/ build-fuzz/corpus \
        >build-fuzz/fuzz.log 2>&1; then
        tail -n 40 build-fuzz/fuzz.log >&2
        return 1
    fi
    grep -E '^(Done|profile fuzzer)' build-fuzz/fuzz.log
}

build_normal() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=ON >/dev/null
    cmake --build build -j"$jobs"
}

# Formatting and layering first: they take seconds and name every file that strays.
step format check_format
step layering check_layering
step sanitizer-build build_sanitized
step sanitizer-tests --after sanitizer-build sanitized_tests
step fuzz fuzz_profiles
step build build_normal
step tests --after build tools/with_display.sh ctest --test-dir build --output-on-failure -j1
# The Debian package, built and proven in a clean Debian system.
step package tools/package_check.sh
# Last, the same core on Windows: built with mingw-w64 and tested under Wine.
step windows tools/windows_check.sh

if [ ${#failed[@]} -eq 0 ] && [ ${#skipped[@]} -eq 0 ]; then
    echo "test.sh: every step passed"
    exit 0
fi
echo "test.sh: ${#failed[@]} step(s) FAILED: ${failed[*]}" >&2
[[ " ${failed[*]} " != *" sanitizer-tests "* ]] || failed_tests build-asan >&2
[[ " ${failed[*]} " != *" tests "* ]] || failed_tests build >&2
[ ${#skipped[@]} -eq 0 ] || echo "test.sh: skipped for a failed build: ${skipped[*]}" >&2
exit 1
