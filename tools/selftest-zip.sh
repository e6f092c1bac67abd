#!/usr/bin/env bash
# Packs the test program with what it needs into a zip that runs on Windows:
#   tools/selftest-zip.sh <build folder> <zip file>
# The build must hold the tests (UNINSTALLER_TESTS=ON). The zip holds one
# folder named like the zip: selftest.cmd, tests.exe, the program, the
# stand-in Illustrator.exe and the batch example. With SIGN_PFX set, the
# programs are signed as tools/release.sh signs the release. Reproducible
# as the release zip is: fixed times (the last commit's), modes and order.
. "$(dirname "$0")/strict.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
zipfile=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
name=$(basename "$zipfile" .zip)
stage=$build/selftest-stage/$name
rm -rf "$build/selftest-stage" && mkdir -p "$stage/examples"
cp "$build/bin/tests.exe" "$build/bin/pexloplay-ai-uninstaller.exe" "$build/bin/Illustrator.exe" "$stage/"
cp "$root/docs/examples/remove-extension.bat" "$stage/examples/"
cp "$root/tests/selftest/selftest.cmd" "$stage/"
if [ -n "${SIGN_PFX:-}" ]; then
  . "$root/tools/sign.sh"
  for program in "$stage"/*.exe; do sign_program "$program"; done
fi
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)
files=(selftest.cmd tests.exe pexloplay-ai-uninstaller.exe Illustrator.exe examples/remove-extension.bat)
(cd "$stage" && chmod 644 "${files[@]}" && TZ=UTC touch -d "@$stamp" "${files[@]}")
rm -f "$zipfile"
(cd "$build/selftest-stage" && TZ=UTC zip -q -X -D -9 "$zipfile" "${files[@]/#/$name/}")
echo "$zipfile"
