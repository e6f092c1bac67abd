#!/usr/bin/env bash
# Fails when docs/integration.md no longer shows a tested example file as it is.
#   check-doc-examples.sh <source folder>
set -euo pipefail
cd "$1"
doc=$(cat docs/integration.md)
for example in docs/examples/*; do
  content=$(cat "$example")
  [[ "$doc" == *"$content"* ]] || { echo "docs/integration.md does not show $example"; exit 1; }
done
echo "docs/integration.md shows every file of docs/examples"
