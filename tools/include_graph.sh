#!/usr/bin/env bash
# Prints which folders of src/ include which, and checks that includes point down only:
# profile and the platform rooms <- core <- windows <- app. The profile engine and the rooms of
# platform/ (clipboard, desktop, system) sit side by side at the bottom and include none of
# each other. In capture/, links/, settings/ and dialogs/ a file that
# uses Qt (itself or through the header of the same name) belongs to the windows layer, the
# rest to the plain C++ core. Windows folders do not include each other. Exits 1 on a breach.
set -euo pipefail
cd "$(dirname "$0")/../src"

node() { # file -> node name
    local folder=${1%%/*} base=${1%.*}
    case "$folder" in
    platform) local rest=${1#platform/} && echo "platform/${rest%%/*}" ;;
    profile | app) echo "$folder" ;;
    *) if grep -qs '^#include <Q' "$base".h "$base".cpp; then
        echo "$folder/windows"
    else
        echo "$folder/core"
    fi ;;
    esac
}
rank() { # node -> layer: 0 profile and platform rooms, 1 core, 2 windows, 3 app
    case "$1" in profile | platform/*) echo 0 ;; */core) echo 1 ;; */windows) echo 2 ;; app) echo 3 ;; esac
}

edges=$(find . -name '*.h' -o -name '*.cpp' | sed 's#^\./##' | sort | while read -r file; do
    from=$(node "$file")
    { grep -o '^#include "[^"]*"' "$file" || true; } | sed 's/^#include "//; s/"$//' | while read -r target; do
        [ -f "$target" ] || continue
        to=$(node "$target")
        [ "$from" = "$to" ] || echo "$from -> $to"
    done
done | sort | uniq -c | awk '{ print $2, $3, $4, "(" $1 ")" }')
echo "$edges"

breaches=0
while read -r from _ to _; do
    [ -n "$from" ] || continue
    if [ "$(rank "$from")" -lt "$(rank "$to")" ] ||
        { [ "$(rank "$from")" = 2 ] && [ "$(rank "$to")" = 2 ]; } ||
        { [ "$(rank "$from")" = 0 ] && [ "$(rank "$to")" = 0 ]; }; then
        echo "breach: $from -> $to" >&2
        breaches=$((breaches + 1))
    fi
done <<<"$edges"
if [ "$breaches" -ne 0 ]; then
    exit 1
fi
echo "includes point down only"
