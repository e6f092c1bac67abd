#!/usr/bin/env bash
# The program's static imports, read from the built .exe:
#   check-imports.sh <program.exe>
# Every DLL it imports must be one that Windows lists under KnownDLLs, so
# that the loader takes it from the system folder whatever lies beside the
# .exe; and SetDefaultDllDirectories must be imported, since the program
# calls it before anything else to keep later loads in the system folder.
set -euo pipefail
dump=$(x86_64-w64-mingw32-objdump -p "$1")
dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
known="advapi32.dll kernel32.dll msvcrt.dll shell32.dll shlwapi.dll user32.dll "
if [ "$dlls" != "$known" ]; then
  echo "imports: $dlls"
  echo "allowed: $known"
  exit 1
fi
if ! grep -Eq '[[:space:]]SetDefaultDllDirectories$' <<<"$dump"; then
  echo "SetDefaultDllDirectories is not imported"
  exit 1
fi
echo "imports: $dlls(all KnownDLLs); SetDefaultDllDirectories imported"
