#!/usr/bin/env bash
# Runs one Windows program of the build's bin folder (a test program, the
# sample run) in the build's own prefix:
#   tools/wine/run.sh <build folder> <name.exe> [arguments...]
# With RELAY_TRACE=<name> set, the calls that the prefix's RelayInclude names
# (boxes, process starts, console release) of every process of the run are
# traced to sandbox/relay/<name>.log, which the program reads as T:\relay\<name>.log.
set -euo pipefail
build=$(cd "$1" && pwd)
exe=$2
shift 2
here=$(dirname "$0")
"$here/prepare-prefix.sh" "$build"
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${RELAY_TRACE:-}" ]; then
  mkdir -p "$build/sandbox/relay"
  export WINEDEBUG=-all,+pid,+relay RELAY_LOG="T:\\relay\\$RELAY_TRACE.log"
  exec wine "B:\\$exe" "$@" 2>"$build/sandbox/relay/$RELAY_TRACE.log"
fi
exec wine "B:\\$exe" "$@"
