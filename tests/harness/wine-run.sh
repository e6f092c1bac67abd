#!/usr/bin/env bash
# Runs one Windows test executable from the build's bin folder under Wine:
#   wine-run.sh <build folder> <name.exe> [arguments...]
# With RELAY_TRACE=<name> set, each MessageBoxW call of every process of the
# run is traced to sandbox/relay/<name>.log, which the test reads as
# T:\relay\<name>.log to learn the flags of the boxes it answered.
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
