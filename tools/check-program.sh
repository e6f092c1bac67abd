#!/usr/bin/env bash
# The release program as it ships, read on the Linux side:
#   tools/check-program.sh <program.exe>      (ctest and tools/release.sh run it)
# - at most 256 KB, not counting an Authenticode signature (the certificate
#   table that the PE security directory points to, which signing appends);
# - every DLL it imports is one that Windows lists under KnownDLLs, so that the
#   loader takes it from the system folder whatever lies beside the .exe, and
#   SetDefaultDllDirectories is imported, since the program calls it before
#   anything else to keep later loads in the system folder.
. "$(dirname "$0")/strict.sh"
dump=$(x86_64-w64-mingw32-objdump -p "$1")
table=$(sed -n 's/^Entry 4 [0-9a-f]* \([0-9a-f]*\) Security Directory$/\1/p' <<<"$dump")
signature=$((16#${table:-0}))
size=$(($(stat -c %s "$1") - signature))
measured="$size bytes, unsigned"
[ "$signature" -eq 0 ] || measured="$size bytes without its signature of $signature bytes"
budget=$((256 * 1024))
if [ "$size" -gt "$budget" ]; then
  echo "size: $measured, over the budget of $budget"
  exit 1
fi
dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
known="advapi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
if [ "$dlls" != "$known" ]; then
  echo "imports: $dlls"
  echo "allowed: $known"
  exit 1
fi
if ! grep -Eq '[[:space:]]SetDefaultDllDirectories$' <<<"$dump"; then
  echo "SetDefaultDllDirectories is not imported"
  exit 1
fi
echo "size: $measured (budget $budget); imports: $dlls(all KnownDLLs); SetDefaultDllDirectories imported"
