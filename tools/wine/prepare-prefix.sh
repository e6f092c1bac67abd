#!/usr/bin/env bash
# Creates the build's own Wine prefix once, safe against parallel callers.
# The prefix is cut off from the machine's files: no Z: drive, no user folders
# that link into the Linux home. Programs see two drives of their own:
#   B:  the build's bin folder (the program, the test and benchmark programs)
#   T:  the sandbox folder (every folder handed to the program)
# Both, and the prefix, lie in WINE_ROOT (see user.sh), owned by the user that
# runs Wine.
. "$(dirname "$0")/../strict.sh"
. "$(dirname "$0")/user.sh"
wine_side "$1"
stamp="$WINEPREFIX/.prepared-8"  # a newer stamp makes older prefixes anew

exec 9>"$wine_build/wine.lock"
flock 9
stage_bin
[ -f "$stamp" ] && exit 0

as_wine_user rm -rf "$WINEPREFIX"
as_wine_user wineboot -i >/dev/null 2>&1
as_wine_user wineserver -w
reg() { as_wine_user wine reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\Drivers' /v Graphics /d null
# A process that crashes ends at once, instead of waiting behind a crash dialog that nobody sees.
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
# Lets the end-to-end tests read from a relay trace the flags of each box, the
# copy's creation flags and whether a process gave its console back.
reg 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.MessageBoxW;user32.AllowSetForegroundWindow;kernel32.CreateProcessW;kernel32.FreeConsole'
# The temporary folder lies on the sandbox drive too: the tests make every
# file inside a folder of their own there.
reg 'HKCU\Environment' /v TEMP /d 'T:\temp'
reg 'HKCU\Environment' /v TMP /d 'T:\temp'
as_wine_user wineserver -w

as_wine_user sh -c '
  rm -f "$WINEPREFIX/dosdevices/z:"
  mkdir -p "$1/sandbox" "$1/bin"
  ln -sfn "$1/sandbox" "$WINEPREFIX/dosdevices/t:"
  ln -sfn "$1/bin" "$WINEPREFIX/dosdevices/b:"
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
  done
  touch "$2"' - "$WINE_ROOT" "$stamp"
