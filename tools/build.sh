#!/usr/bin/env bash
# Configures and builds ZIQ2 into build/ (the binary is build/ZIQ2, ziqhelp.txt beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/tools/deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build -j"$(nproc)"
