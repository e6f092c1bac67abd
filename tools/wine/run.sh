#!/usr/bin/env bash
# Runs one Windows program of the build's bin folder (a test program, the
# sample run) in the build's own prefix, as the user of user.sh:
#   tools/wine/run.sh <build folder> <name.exe> [arguments...]
# With RELAY_TRACE=<name> set, the calls that the prefix's RelayInclude names
# (boxes, process starts, console release) of every process of the run are
# traced to sandbox/relay/<name>.log, which the program reads as T:\relay\<name>.log.
# The locale (LC_ALL) passes through.
. "$(dirname "$0")/../strict.sh"
here=$(dirname "$0")
"$here/prepare-prefix.sh" "$1"
. "$here/user.sh"
wine_side "$1"
exe=$2
shift 2
pass=(PEXLO_BUILD_PREFIX=1)  # the tests may rely on the prefix's fixtures and trace
if [ -n "${LC_ALL:-}" ]; then pass+=("LC_ALL=$LC_ALL"); fi
if [ -z "${RELAY_TRACE:-}" ]; then
  as_wine_user "${pass[@]}" wine "B:\\$exe" "$@"
  exit
fi
as_wine_user mkdir -p "$WINE_ROOT/sandbox/relay"
WINEDEBUG=-all,+pid,+relay
trace=$WINE_ROOT/sandbox/relay/$RELAY_TRACE.log
status=0
as_wine_user RELAY_LOG="T:\\relay\\$RELAY_TRACE.log" "${pass[@]}" wine "B:\\$exe" "$@" 2>"$trace" || status=$?
# What Wine itself said goes to the trace too: shown when the run failed.
[ "$status" -eq 0 ] || grep -v ':trace:relay:' "$trace" | tail -n 20 >&2
exit "$status"
