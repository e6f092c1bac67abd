#!/usr/bin/env bash
# After a test or sample run: stops the prefix's Wine server and what runs in it.
set -euo pipefail
. "$(dirname "$0")/user.sh"
wine_side "$1"
as_wine_user wineserver -k 2>/dev/null || true
