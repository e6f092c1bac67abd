#!/usr/bin/env bash
# Creates the build's own Wine prefix once, safe against parallel callers.
# The prefix is cut off from the machine's files: no Z: drive, no user folders
# that link into the Linux home. Programs see two drives of their own:
#   B:  the build's bin folder (the program, the test and benchmark programs)
#   T:  the build's sandbox folder (every folder handed to the program)
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stamp="$WINEPREFIX/.prepared-4"  # a newer stamp makes older prefixes anew

exec 9>"$build/wine.lock"
flock 9
[ -f "$stamp" ] && exit 0

rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
# A process that crashes ends at once, instead of waiting behind a crash dialog that nobody sees.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# Lets the end-to-end tests read from a relay trace the flags of each box, the
# copy's creation flags and whether a process gave its console back.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude \
  /d 'user32.MessageBoxW;kernel32.CreateProcessW;kernel32.FreeConsole' /f >/dev/null 2>&1
wineserver -w

rm -f "$WINEPREFIX/dosdevices/z:"
mkdir -p "$build/sandbox" "$build/bin"
ln -sfn "$build/sandbox" "$WINEPREFIX/dosdevices/t:"
ln -sfn "$build/bin" "$WINEPREFIX/dosdevices/b:"
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done
touch "$stamp"
