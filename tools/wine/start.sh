#!/usr/bin/env bash
# Before a test or sample run: prepares the prefix, empties the sandbox drive, and starts
# the Wine server and Wine's own services detached from the test output (a
# service that inherited a test's output pipe would keep ctest waiting).
. "$(dirname "$0")/../strict.sh"
here=$(dirname "$0")
"$here/prepare-prefix.sh" "$1"
. "$here/user.sh"
wine_side "$1"
# Tests close folders to their user; open them again so that they can go.
as_wine_user sh -c 'chmod -R u+rwX "$1" 2>/dev/null; rm -rf "$1" && mkdir -p "$1/temp"' - "$WINE_ROOT/sandbox"
# A server left from an earlier run may still be shutting down; wait for it,
# or a test would start a new one that holds on to ctest's output.
as_wine_user wineserver -k >/dev/null 2>&1 || true
as_wine_user wineserver -w
as_wine_user wineserver -p </dev/null >/dev/null 2>&1
as_wine_user wine cmd /c exit </dev/null >/dev/null 2>&1
# As Windows does for a standard user, the prefix refuses requests to delete
# files at the next restart; and it gets Windows' timeout command, which Wine
# lacks.
as_wine_user wine 'B:\restart-list.exe' refuse </dev/null >/dev/null 2>&1
if [ -f "$WINE_ROOT/bin/timeout.exe" ]; then
  as_wine_user cp "$WINE_ROOT/bin/timeout.exe" "$WINEPREFIX/drive_c/windows/system32/timeout.exe"
fi
