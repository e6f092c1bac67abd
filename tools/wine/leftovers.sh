#!/usr/bin/env bash
# Fails, naming them, when a build's Wine files are still there:
#   tools/wine/leftovers.sh <build folder>
. "$(dirname "$0")/../strict.sh"
. "$(dirname "$0")/user.sh"
left=$(wine_leftovers "$1")
[ -z "$left" ] || { printf 'left behind by the run:\n%s\n' "$left" >&2; exit 1; }
