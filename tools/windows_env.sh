# Sourced by the Windows scripts: where the Qt for Windows is, how to configure the Windows
# build against it, and how Wine finds that Qt and mingw's runtime DLLs.
# ZIQ_QT_WINDOWS names the Qt; by default ../shared/qt6-windows beside the clone.
qt_windows=${ZIQ_QT_WINDOWS:-$PWD/../shared/qt6-windows}
compiler=x86_64-w64-mingw32-g++-posix

have_qt_windows() {
    [ -f "$qt_windows/lib/cmake/Qt6/Qt6Config.cmake" ]
}

# The whole program for Windows, in build-windows. The toolchain is read only when the build
# folder is first made.
configure_windows() {
    local toolchain=()
    [ -f build-windows/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake)
    cmake -S . -B build-windows -G Ninja "${toolchain[@]}" -DZIQ_CORE_ONLY=OFF \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$(realpath "$qt_windows")" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
}

# The mingw runtime DLLs that the program and Qt load.
mingw_runtime_dlls() {
    local dll
    for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
        "$compiler" -print-file-name="$dll"
    done
}

# A private Wine prefix, quiet, without the .NET and HTML engines it would offer to install.
wine_environment() {
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="${WINEPREFIX:-$PWD/$1/wineprefix}"
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wine_settle
}
# Waits till this prefix's Wine server has ended. Wine's desktop lives as long as its server and
# keeps the display it found: one started before the X server (wineboot, winepath) would leave
# every later window of the prefix without a graphics driver.
wine_settle() { wineserver -w; }

# End to end under Wine: the ZIQ2.exe unpacked from the zip, as a user runs it, with the
# secret owner of the Windows test build (tests/e2e/wine_e2e.sh).
wine_end_to_end() { # the zip
    wine_environment build-windows
    ZIQ_TRAY_WIDTH=96 tools/with_display.sh tests/e2e/wine_e2e.sh "$1" \
        build-windows/tests/ziq2-test-secret-owner.exe
}
