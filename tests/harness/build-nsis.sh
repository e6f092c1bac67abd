#!/usr/bin/env bash
# Builds the NSIS test installer (whose uninstaller calls the program) into
# the bin folder, installing NSIS first where it is missing.
#   build-nsis.sh <source folder> <build folder>
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
if ! command -v makensis >/dev/null; then
  apt-get update -qq && apt-get install -y -qq nsis >/dev/null
fi
mkdir -p "$build/bin/nsis"
makensis -V2 -DPROGRAM="$build/bin/pexloplay-ai-uninstaller.exe" \
  -DSECTION="$src/docs/examples/uninstall-section.nsh" \
  -DOUTFILE="$build/bin/nsis/pexlo-setup.exe" "$src/tests/integration/setup.nsi"
