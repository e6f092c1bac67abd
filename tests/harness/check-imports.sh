#!/usr/bin/env bash
# Fails when the program imports any DLL other than Windows' own, so that it
# keeps running on a clean Windows with nothing beside it.
#   check-imports.sh <program.exe>
set -euo pipefail
allowed='^(KERNEL32|USER32|ADVAPI32|SHELL32|SHLWAPI|msvcrt)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
[ -n "$dlls" ] || { echo "no imports found in $1"; exit 1; }
bad=$(grep -viE "$allowed" <<<"$dlls" || true)
echo "$dlls"
[ -z "$bad" ] || { echo "unexpected imports: $bad"; exit 1; }
