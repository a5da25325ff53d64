#!/usr/bin/env bash
# Proves ZIQ2 on Windows semantics as far as this Linux machine allows:
# 1. builds the plain C++ core and its unit tests for 64-bit Windows with mingw-w64 and runs
#    them under Wine: profile files, settings, stamps, log naming, link rules, the registry
#    reader and the program's folder, on Windows rules (backslashes, drive roots, CRLF in new
#    files, the real registry);
# 2. compiles the Qt parts for Windows, syntax only: Debian has no Qt for Windows, so Qt's
#    Linux headers stand in. That still stops on POSIX-only code outside the platform seams.
# Installs mingw-w64 and Wine when they are missing. Wine's prefix lives in build-windows.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh g++-mingw-w64-x86-64 wine wine64 googletest
jobs=$(nproc)
compiler=x86_64-w64-mingw32-g++-posix

# The toolchain is read when the build folder is first made, and only then.
toolchain=()
[ -f build-windows/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake)
cmake -S . -B build-windows -G Ninja "${toolchain[@]}" -DZIQ_CORE_ONLY=ON \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows -j"$jobs"

# Every source the core build did not compile, except those that are not for Windows at all.
core=$(grep -o '"file": "[^"]*"' build-windows/compile_commands.json | sed 's/^"file": "//; s/"$//')
qt_sources=()
while IFS= read -r source; do
    case "$source" in
    # Not for Windows: X11, D-Bus and Wayland only, or POSIX pipes.
    */clipboard_keeper_main.cpp | */no_registry.cpp | */tray_kind_dbus.cpp | */wayland/* | \
        */system_clipboard_wayland.cpp | */pipe_io.cpp | *_posix.cpp) continue ;;
    esac
    grep -qxF "$source" <<<"$core" || qt_sources+=("$source")
done < <(find "$PWD/src" -name '*.cpp' | sort)
qt=$(pkg-config --variable=includedir Qt6Core)
qt_flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Werror -I"$PWD/src" -I"$PWD/build-windows/generated"
    -DUNICODE -D_UNICODE -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB
    -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets"
    -isystem "$qt/QtNetwork")
printf '%s\0' "${qt_sources[@]}" | xargs -0 -n1 -P"$jobs" "$compiler" "${qt_flags[@]}"
echo "Qt parts: ${#qt_sources[@]} sources compile for Windows (syntax only, Linux Qt headers)"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="${WINEPREFIX:-$PWD/build-windows/wineprefix}"
mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true
ctest --test-dir build-windows --output-on-failure -j1
