#!/usr/bin/env bash
# Builds ZIQ2 and runs every test: unit and widget tests, then the real program under Xvfb
# with a tray host, xclip and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIQ_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"
tools/with_display.sh ctest --test-dir build --output-on-failure -j1
# Last, the same core on Windows: built with mingw-w64 and tested under Wine.
tools/windows_check.sh
