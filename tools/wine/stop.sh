#!/usr/bin/env bash
# After a test or sample run: stops the prefix's Wine server and what runs in it.
. "$(dirname "$0")/../strict.sh"
. "$(dirname "$0")/user.sh"
wine_side "$1"
as_wine_user wineserver -k 2>/dev/null || true
