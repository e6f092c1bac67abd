#!/usr/bin/env bash
# Before a test or sample run: prepares the prefix, empties the sandbox drive, and starts
# the Wine server and Wine's own services detached from the test output (a
# service that inherited a test's output pipe would keep ctest waiting).
set -euo pipefail
build=$(cd "$1" && pwd)
"$(dirname "$0")/prepare-prefix.sh" "$build"
rm -rf "$build/sandbox" && mkdir -p "$build/sandbox"
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A server left from an earlier run may still be shutting down; wait for it,
# or a test would start a new one that holds on to ctest's output.
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
