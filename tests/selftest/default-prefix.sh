#!/usr/bin/env bash
# The self-test bundle as a Windows user would run it, but in a fresh, default
# Wine prefix: the Z: drive is there, no call trace, the prefix's own %TEMP%,
# the unprivileged user of tools/wine/user.sh; only the display is Wine's
# null driver. It must pass, and leave alone
# what is not its own: canary files in the user's profile and elsewhere on C:,
# an installed copy of the extension in the user's CEP extensions folder, and
# the user's CSXS values.
#   tests/selftest/default-prefix.sh <build folder>
. "$(dirname "$0")/../../tools/strict.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tools/wine/user.sh"
wine_side "$1"
zip=$WINE_ROOT/pexloplay-ai-uninstaller-selftest.zip  # where that user may read it
"$root/tools/selftest-zip.sh" "$wine_build" "$zip" >/dev/null
export WINEPREFIX=$WINE_ROOT/default-prefix
# The tests leave read-only folders behind (Wine closes them to writing): opened again to go.
as_wine_user sh -c 'wineserver -k 2>/dev/null; chmod -R u+rwX "$WINEPREFIX" 2>/dev/null; rm -rf "$WINEPREFIX" &&
  wineboot -i >/dev/null 2>&1 && wineserver -w'
# The changes to the default: there is no display here, and without one Wine
# would show no box at all; and a crash ends the process at once instead of
# waiting behind a debugger that nobody sees.
as_wine_user wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
as_wine_user wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
as_wine_user wineserver -w  # what started with the old setting ends
profile=$WINEPREFIX/drive_c/users/$(as_wine_user whoami)
keep=("$profile/canary.txt" "$WINEPREFIX/drive_c/canaries/canary.txt"
      "$profile/AppData/Roaming/Adobe/CEP/extensions/com.pexlo.play.ai/CSXS/manifest.xml"
      "$profile/AppData/Roaming/Adobe/CEP/extensions/com.pexlo.play.ai/index.html")
csxs='HKCU\Software\Adobe\CSXS.11'
as_wine_user sh -c 'for file; do mkdir -p "$(dirname "$file")" && echo "must stay: $file" >"$file"; done' - "${keep[@]}"
as_wine_user sh -c 'wine reg add "$1" /v PlayerDebugMode /d 1 /f && wine reg add "$1" /v LogLevel /d 6 /f' - "$csxs" >/dev/null 2>&1
before=$(sha256sum "${keep[@]}")
as_wine_user unzip -q "$zip" -d "$WINEPREFIX/drive_c/selftest"

status=0
as_wine_user env -u LC_ALL -u RELAY_LOG -u PEXLO_BUILD_PREFIX \
  wine cmd /c 'C:\selftest\pexloplay-ai-uninstaller-selftest\selftest.cmd' </dev/null || status=$?
echo "selftest.cmd: exit code $status"
if [ "$(sha256sum "${keep[@]}" 2>&1)" != "$before" ]; then
  echo "changed or gone:"; sha256sum "${keep[@]}" 2>&1 | diff <(echo "$before") - || true; status=1
fi
values=$(as_wine_user wine reg query "$csxs" 2>/dev/null | grep -cE 'PlayerDebugMode +REG_SZ +1|LogLevel +REG_SZ +6')
[ "$values" -eq 2 ] || { echo "CSXS.11 lost PlayerDebugMode or LogLevel"; status=1; }
as_wine_user wineserver -k 2>/dev/null || true
exit $status
