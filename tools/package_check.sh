#!/usr/bin/env bash
# Builds the Debian package and proves it on Debian's own tools:
#
#   lintian (no error, no warning), desktop-file-validate, appstreamcli validate;
#   an install into a clean Debian system made by mmdebstrap, where the installed ZIQ2
#   runs under Xvfb as an ordinary user (tests/package/installed_run.sh);
#   piuparts: install, remove and purge leave nothing behind.
#
# The clean system is cached in build-deb/ as a tarball, made anew only when the packages
# it needs change. Needs root (chroot, mounts), as CI has.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
out="$repo/build-deb"

fail() {
    echo "package_check.sh: $*" >&2
    exit 1
}
[ "$(id -u)" -eq 0 ] || fail "run it as root: the clean system is a chroot"

"$repo/tools/deps.sh"
deb=$("$repo/tools/package_deb.sh" | tail -n1)
echo "== built $deb"

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb"

echo "== desktop entry and AppStream data"
unpacked="$out/unpacked"
rm -rf -- "$unpacked"
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
[ ! -e "$unpacked/etc/xdg/autostart" ] || fail "the package starts ZIQ2 for every user"

# The package's own dependencies, first alternative each, and what the run needs.
# shellcheck source=/dev/null
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
needs=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/|.*//; s/(.*)//; s/ //g' | grep .)
needs+=$'\n'"xvfb xauth xclip xdotool openbox trayer x11-utils procps"
include=$(printf '%s\n' "$needs" | tr ' ' '\n' | grep . | sort -u | paste -sd, -)
key=$(printf '%s %s' "$codename" "$include" | sha256sum | cut -c1-16)
# piuparts takes it gzipped.
base="$out/$codename-$key.tar.gz"
if [ ! -f "$base" ]; then
    echo "== making a clean $codename system ($base)"
    rm -f -- "$out/$codename"-*.tar*
    # The machine's own apt sources, so the clean system reaches the same archive.
    sources=()
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -s "$file" ] && grep -qv '^[[:space:]]*\(#\|$\)' "$file" && sources+=("$file")
    done
    nice -n 10 mmdebstrap --variant=apt --format=tar --include="$include" "$codename" - \
        "${sources[@]}" | gzip -1 >"$base.partial"
    mv -f -- "$base.partial" "$base"
fi

echo "== the installed ZIQ2 in the clean system, as an ordinary user"
root="$out/root"
rm -rf -- "$root"
mkdir -p -- "$root"
tar -C "$root" -xzf "$base"
cp -- "$deb" "$root/tmp/ziq2.deb"
cp -- "$repo/tools/with_display.sh" "$repo/tests/package/installed_run.sh" "$root/usr/local/bin/"
# A mount namespace of its own: the mounts end with it, however the run ends.
# shellcheck disable=SC2016  # the script expands its own argument
unshare --mount --propagation private bash -euo pipefail -c '
    root=$1
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    chroot "$root" dpkg -i /tmp/ziq2.deb
    chroot "$root" useradd --create-home --shell /bin/bash tester
    chroot "$root" runuser -u tester -- env -i HOME=/home/tester PATH=/usr/bin:/bin \
        /usr/local/bin/with_display.sh /usr/local/bin/installed_run.sh
' bash "$root"
rm -rf -- "$root"

echo "== piuparts: install, remove, purge"
# The clean system's own sources; no upgrade test, as no earlier version is in the archive.
nice -n 10 piuparts --basetgz="$base" --keep-sources-list --distribution="$codename" \
    --no-upgrade-test "$deb" >"$out/piuparts.log" 2>&1 || {
    tail -n 40 "$out/piuparts.log" >&2
    fail "piuparts failed; see $out/piuparts.log"
}
echo "package_check.sh: the package passed"
