#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine. Its Wine
# prefixes, sandbox and staged programs go when it ends, passed or failed,
# unless KEEP_WINE=1 (see tools/wine/user.sh).
. "$(dirname "$0")/strict.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
. "$top/tools/wine/user.sh"
wine_hold "$top/build"
trap wine_release EXIT
trap 'exit 130' INT TERM
# Measured peaks of a run from a clean clone: see the README.
wine_need_space "$top/build" 100 1800
"$top/tools/build.sh"
cd "$top/build"
ctest --output-on-failure -j2 "$@"
