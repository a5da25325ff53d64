#!/usr/bin/env bash
# Builds ZIQ2 and starts it. It lives in the tray: look for its icon next to the clock.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
exec build/ZIQ2 "$@"
