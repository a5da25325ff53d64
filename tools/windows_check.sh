#!/usr/bin/env bash
# Builds the plain C++ core and its unit tests for 64-bit Windows with mingw-w64 and runs
# them under Wine: the profile files, settings, stamps, log naming, link rules and registry
# reader on Windows semantics (backslashes, drive roots, CRLF, the real registry).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh g++-mingw-w64-x86-64 wine wine64 googletest
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="${WINEPREFIX:-$PWD/build-windows/wineprefix}"
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DZIQ_CORE_ONLY=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows -j"$(nproc)"
mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
ctest --test-dir build-windows --output-on-failure -j1
