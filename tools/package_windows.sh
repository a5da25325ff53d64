#!/usr/bin/env bash
# Makes the download for Windows users, build-windows/ZIQ2-<version>-windows-x64.zip: one
# folder, ZIQ2 (the same name in every release, so that a new one unpacks over the old one
# and finds its ziq2.ini and logs), with ZIQ2.exe, ziq2-history.exe, ziqhelp.txt, the Qt DLLs
# and plugins they load and mingw's runtime
# DLLs, laid out as windeployqt lays them out. Builds ZIQ2.exe first against the Qt for
# Windows at ../shared/qt6-windows (or ZIQ_QT_WINDOWS). Prints the zip's path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh g++-mingw-w64-x86-64
source tools/windows_env.sh
if ! have_qt_windows; then
    echo "package_windows.sh: no Qt for Windows at $qt_windows (set ZIQ_QT_WINDOWS)" >&2
    exit 1
fi
configure_windows
cmake --build build-windows -j"$(nproc)" --target ZIQ2 ziq2-history >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
name=ZIQ2-$version-windows-x64
folder=ZIQ2
stage=build-windows/package/$folder
rm -rf build-windows/package "build-windows/$name.zip"
mkdir -p "$stage/platforms" "$stage/styles"
cp build-windows/ZIQ2.exe build-windows/ziq2-history.exe build-windows/ziqhelp.txt "$stage/"
cp "$qt_windows/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt_windows/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"

# Every DLL that the program, its plugins and those DLLs import from Qt or mingw, and no other.
dlls=()
while IFS= read -r dll; do dlls+=("$dll"); done < <(mingw_runtime_dlls)
provider() {
    local candidate
    for candidate in "$qt_windows/bin/$1" "${dlls[@]}"; do
        [ "$(basename "$candidate")" = "$1" ] && [ -f "$candidate" ] && echo "$candidate" && return
    done
    return 0
}
pending=("$stage/ZIQ2.exe" "$stage/ziq2-history.exe" "$stage"/platforms/*.dll "$stage"/styles/*.dll)
while [ ${#pending[@]} -gt 0 ]; do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    while IFS= read -r import; do
        [ -e "$stage/$import" ] && continue
        source_dll=$(provider "$import")
        [ -n "$source_dll" ] || continue # a DLL of Windows itself
        cp "$source_dll" "$stage/$import"
        # mingw's own DLLs come with their symbols, which no user needs.
        [[ "$source_dll" == "$qt_windows"/* ]] || x86_64-w64-mingw32-strip --strip-unneeded "$stage/$import"
        pending+=("$stage/$import")
    done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done

(cd build-windows/package && cmake -E tar cf "../$name.zip" --format=zip "$folder")
echo "$PWD/build-windows/$name.zip"
