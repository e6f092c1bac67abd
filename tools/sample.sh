#!/usr/bin/env bash
# Installs what is missing, builds, and runs the uninstaller on a built-in
# sample installation in the build's own Wine prefix: sample.sh [en|zh|pt]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
"$top/tools/build.sh" >/dev/null
"$top/tools/wine/start.sh" "$top/build"
trap '"$top/tools/wine/stop.sh" "$top/build"' EXIT
RELAY_TRACE=sample "$top/tools/wine/run.sh" "$top/build" sample_run.exe "${1:-zh}"
