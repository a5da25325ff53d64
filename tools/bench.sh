#!/usr/bin/env bash
# Builds ZIQ2 with its benchmarks (optimised, in build-bench/) and runs them all:
#   1. recording a capture in a scheme 1 log, empty vs. 200 MB, beside a whole-file rewrite;
#   3. capturing a 20 MiB text through the real clipboard text window;
#   2. and 4. the real program under Xvfb: idle ticks with a 10 MiB text owned by xclip,
#      start-up to the tray icon, idle memory;
#   5. the real program in a headless sway: idle ticks with a 10 MiB text owned by wl-copy;
#   7. ziq2-history on three years of synthetic logs, beside ripgrep and grep.
# With --baseline <git revision>, the same benchmarks then run on that revision's program
# (built in build-bench/baseline), for a before/after comparison.
# Scratch files (the 200 MB log among them) go to the temporary folder and are removed.
set -euo pipefail
cd "$(dirname "$0")/.."

baseline=""
if [ "${1:-}" = "--baseline" ]; then
    baseline=${2:?--baseline needs a git revision}
fi

tools/deps.sh libxcb1-dev

build() { # source folder, build folder
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_TESTS=OFF \
        -DZIQ_BENCH=ON >/dev/null
    cmake --build "$2" -j"$(nproc)" >/dev/null
}

run() { # build folder
    "$1/bench/bench_log_append"
    "$1/bench/bench_big_capture"
    tools/with_display.sh "$1/bench/bench_e2e" --binary "$1/ZIQ2"
    if [ -x "$1/bench/bench_wayland_idle" ]; then
        tools/with_wayland.sh "$1/bench/bench_wayland_idle" --binary "$1/ZIQ2"
    fi
    if [ -x "$1/bench/bench_history" ]; then
        tools/with_display.sh "$1/bench/bench_history" --binary "$1/ziq2-history"
    fi
    if [ -x "$1/bench/bench_clipboard_serve" ]; then
        tools/with_display.sh "$1/bench/bench_clipboard_serve"
        tools/with_wayland.sh "$1/bench/bench_clipboard_serve"
    fi
}

build . build-bench
if [ -n "$baseline" ]; then
    # The baseline's own sources with today's benchmarks beside them.
    rm -rf build-bench/baseline
    mkdir -p build-bench/baseline/src
    git archive "$baseline" | tar -x -C build-bench/baseline/src
    rm -rf build-bench/baseline/src/bench
    cp -r bench build-bench/baseline/src/bench
    build build-bench/baseline/src build-bench/baseline/build
fi

echo "== machine"
uname -srm
echo "$(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
free -m | awk '/^Mem:/ {print $2 " MiB memory"}'
echo "temporary folder on $(findmnt -no FSTYPE,SOURCE -T "${TMPDIR:-/tmp}")"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== this tree ($(git rev-parse --short HEAD)$(git diff --quiet HEAD -- src || echo ', with changes'))"
run build-bench
if [ -n "$baseline" ]; then
    echo "== baseline ($baseline)"
    run build-bench/baseline/build
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
