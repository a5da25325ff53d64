#!/usr/bin/env bash
# Builds the Debian package of ZIQ2 for the release this machine runs:
#
#   tools/package_deb.sh      build-deb/ziq2_<version>_<arch>.deb
#
# The sources are copied to build-deb/ziq2-<version>/ and built there with
# dpkg-buildpackage, so the work tree gets no build files. The version is the one of
# project() in CMakeLists.txt; debian/changelog must name the same.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
out="$repo/build-deb"

fail() {
    echo "package_deb.sh: $*" >&2
    exit 1
}

"$repo/tools/deps.sh"

version=$(sed -n 's/^project(ZIQ2 VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
[ -n "$version" ] || fail "no version in project() of CMakeLists.txt"
logged=$(dpkg-parsechangelog -l "$repo/debian/changelog" -S Version)
[ "$logged" = "$version" ] ||
    fail "debian/changelog is at $logged, CMakeLists.txt at $version: add a changelog entry (dch -v $version)"

source="$out/ziq2-$version"
rm -rf -- "$source"
mkdir -p -- "$source"
if git -C "$repo" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # What git knows of, edited or new, but no build folders or other ignored files.
    git -C "$repo" ls-files -z --cached --others --exclude-standard |
        tar -C "$repo" --null --ignore-failed-read -T - -cf - | tar -C "$source" -xf -
else
    tar -C "$repo" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$source" -xf -
fi

# debhelper gives the build a home of its own; the compiler cache is found all the same.
if command -v ccache >/dev/null; then
    CCACHE_DIR=$(ccache -k cache_dir)
    export CCACHE_DIR
fi
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
deb="$out/ziq2_${version}_${arch}.deb"
rm -f -- "$deb"
(cd "$source" && DEB_BUILD_OPTIONS="parallel=2 ${DEB_BUILD_OPTIONS:-}" \
    nice -n 10 dpkg-buildpackage -b -uc -us) >"$out/dpkg-buildpackage.log" 2>&1 ||
    fail "dpkg-buildpackage failed; see $out/dpkg-buildpackage.log"
[ -f "$deb" ] || fail "dpkg-buildpackage made no $deb; see $out/dpkg-buildpackage.log"
echo "$deb"
