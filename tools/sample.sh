#!/usr/bin/env bash
# Installs what is missing, builds, and runs the uninstaller on a built-in
# sample installation in the build's own Wine prefix: sample.sh [en|zh|pt]
# The prefix goes when it ends, unless KEEP_WINE=1 (see tools/wine/user.sh).
. "$(dirname "$0")/strict.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
. "$top/tools/wine/user.sh"
wine_hold "$top/build"
trap '"$top/tools/wine/stop.sh" "$top/build"; wine_release' EXIT
trap 'exit 130' INT TERM
"$top/tools/build.sh" >/dev/null
"$top/tools/wine/start.sh" "$top/build"
RELAY_TRACE=sample "$top/tools/wine/run.sh" "$top/build" sample_run.exe "${1:-zh}"
