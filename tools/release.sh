#!/usr/bin/env bash
# Builds the release .exe from scratch and packs it with README.md, LICENSE, the
# integration guide with its two examples and the .exe's SHA-256 checksum into
# dist/pexloplay-ai-uninstaller-<version>-win64.zip, and the self-test bundle
# for Windows (tools/selftest-zip.sh) into ...-<version>-selftest.zip.
#   tools/release.sh
#   SIGN_PFX=<key.pfx> SIGN_PASSWORD=<password> tools/release.sh
# With SIGN_PFX the .exe is signed (Authenticode, SHA-256, tools/sign.sh, which
# also reads SIGN_TIMESTAMP_URL, SIGN_DESCRIPTION and SIGN_URL) before its
# checksum is taken; a failed signing fails the release and leaves no zip.
# Reproducible: every file in the zip gets the time of the last commit, the
# entries are stored in a fixed order without extra fields, and the .exe has
# no time stamp and no build paths, so two runs on the same commit give the
# same bytes; with a key, everything but the signature (docs/release.md).
. "$(dirname "$0")/strict.sh"
if [ -n "${SIGN_PFX:-}" ]; then
  [ -f "$SIGN_PFX" ] || { echo "release: SIGN_PFX names no file: $SIGN_PFX" >&2; exit 1; }
  SIGN_PFX=$(realpath -- "$SIGN_PFX")
fi
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
packages="g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 cmake make zip git googletest"
[ -z "${SIGN_PFX:-}" ] || packages="$packages osslsigncode"
missing=$(for p in $packages; do dpkg -s "$p" >/dev/null 2>&1 || echo "$p"; done)
if [ -n "$missing" ]; then apt-get update -qq && apt-get install -y -qq $missing >/dev/null; fi
program=pexloplay-ai-uninstaller.exe
files=(README.md LICENSE docs/integration.md docs/examples/remove-extension.bat docs/examples/uninstall-section.nsh)
for file in "${files[@]}"; do
  [ -f "$file" ] || { echo "release: $file is missing" >&2; exit 1; }
done

build=$root/build-release
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null  # the tests too, for the self-test bundle
cmake --build "$build" -j2 >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=pexloplay-ai-uninstaller-$version-win64
zipfile=$root/dist/$name.zip selftest=$root/dist/pexloplay-ai-uninstaller-$version-selftest.zip
# An older zip of this version does not outlive a failed run, nor does this run's stage.
rm -f "$zipfile" "$zipfile.sha256" "$selftest"
trap '[ $? -eq 0 ] || rm -rf "$build/stage" "$zipfile" "$zipfile.sha256" "$selftest"' EXIT
"$root/tools/check-program.sh" "$build/bin/$program"  # size budget and system imports only

stage=$build/stage/$name
mkdir -p "$stage" dist
cp "$build/bin/$program" "$stage/"
if [ -n "${SIGN_PFX:-}" ]; then
  . "$root/tools/sign.sh"
  sign_program "$stage/$program"
  "$root/tools/check-program.sh" "$stage/$program"
fi
for file in "${files[@]}"; do install -D -m 644 "$file" "$stage/$file"; done
(cd "$stage" && sha256sum "$program" >SHA256SUMS)
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec env TZ=UTC touch -d "@$stamp" {} +

(cd "$build/stage" && TZ=UTC zip -q -X -D -9 "$zipfile" "$name/$program" "$name/SHA256SUMS" \
  "${files[@]/#/$name/}")
(cd dist && sha256sum "$name.zip" >"$name.zip.sha256")
"$root/tools/selftest-zip.sh" "$build" "$selftest" >/dev/null
echo "dist/$name.zip"
echo "dist/${selftest##*/}"
cat "dist/$name.zip.sha256"
