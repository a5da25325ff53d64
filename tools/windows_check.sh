#!/usr/bin/env bash
# Proves ZIQ2 on Windows as far as this Linux machine allows. With a Qt for Windows (by
# default ../shared/qt6-windows beside the clone, or the folder ZIQ_QT_WINDOWS names):
# 1. builds ZIQ2.exe, its help text and every unit and widget test for 64-bit Windows with
#    mingw-w64 (in build-windows) and runs the tests under Wine, on the Windows platform
#    plugin, in a private X display;
# 2. packs the download, ZIQ2-<version>-windows-x64.zip with its one folder ZIQ2
#    (tools/package_windows.sh), and runs the ZIQ2.exe unpacked from it end to end
#    (tests/e2e/wine_e2e.sh).
# Without one it builds the plain C++ core and its unit tests (in build-windows-core), runs
# them under Wine and compiles the Qt parts for syntax only, against Qt's Linux headers.
# Installs mingw-w64 and Wine when they are missing. Wine's prefix lives in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh g++-mingw-w64-x86-64 wine wine64 googletest
source tools/windows_env.sh
jobs=$(nproc)

if have_qt_windows; then
    configure_windows
    cmake --build build-windows -j"$jobs"
    wine_environment build-windows
    # Wine finds Qt's and mingw's DLLs on its PATH, and Qt its plugins.
    dll_folders=("$qt_windows/bin")
    while IFS= read -r dll; do dll_folders+=("$(dirname "$dll")"); done < <(mingw_runtime_dlls)
    WINEPATH=$(for folder in "${dll_folders[@]}"; do winepath -w "$folder"; done | paste -sd';')
    QT_PLUGIN_PATH=$(winepath -w "$qt_windows/plugins")
    export WINEPATH QT_PLUGIN_PATH
    wine_settle
    tools/with_display.sh ctest --test-dir build-windows --output-on-failure -j1
    unset WINEPATH QT_PLUGIN_PATH
    zip=$(tools/package_windows.sh | tail -n1)
    wine_end_to_end "$zip"
    exit 0
fi

echo "windows_check.sh: no Qt for Windows at $qt_windows: the Windows program was NOT built;" \
    "checking the plain C++ core only (set ZIQ_QT_WINDOWS to a Qt for Windows to build it)."
toolchain=()
[ -f build-windows-core/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake)
cmake -S . -B build-windows-core -G Ninja "${toolchain[@]}" -DZIQ_CORE_ONLY=ON \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows-core -j"$jobs"

# Every source the core build did not compile, except those that are not for Windows at all.
core=$(grep -o '"file": "[^"]*"' build-windows-core/compile_commands.json | sed 's/^"file": "//; s/"$//')
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
qt_flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Werror -I"$PWD/src" -I"$PWD/build-windows-core/generated"
    -DUNICODE -D_UNICODE -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB
    -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets"
    -isystem "$qt/QtNetwork")
printf '%s\0' "${qt_sources[@]}" | xargs -0 -n1 -P"$jobs" "$compiler" "${qt_flags[@]}"
echo "Qt parts: ${#qt_sources[@]} sources compile for Windows (syntax only, Linux Qt headers)"

wine_environment build-windows-core
ctest --test-dir build-windows-core --output-on-failure -j1
echo "windows_check.sh: the Windows program was skipped (no Qt for Windows); the core passed."
