#!/usr/bin/env bash
# Builds the release .exe from scratch and packs it with README.md, LICENSE and
# its SHA-256 checksum into dist/pexloplay-ai-uninstaller-<version>-win64.zip.
#   tools/release.sh
# Reproducible: every file in the zip gets the time of the last commit, the
# entries are stored in a fixed order without extra fields, and the .exe has
# no time stamp and no build paths, so two runs on the same commit give the
# same bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
packages="g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 cmake zip"
missing=$(for p in $packages; do dpkg -s "$p" >/dev/null 2>&1 || echo "$p"; done)
if [ -n "$missing" ]; then apt-get update -qq && apt-get install -y -qq $missing >/dev/null; fi
for file in README.md LICENSE; do
  [ -f "$file" ] || { echo "release: $file is missing" >&2; exit 1; }
done

build=$root/build-release
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DUNINSTALLER_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
"$root/tools/check-program.sh" "$build/bin/pexloplay-ai-uninstaller.exe"  # size budget and system imports only
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

name=pexloplay-ai-uninstaller-$version-win64
stage=$build/stage/$name
mkdir -p "$stage" dist
cp "$build/bin/pexloplay-ai-uninstaller.exe" README.md LICENSE "$stage/"
(cd "$stage" && sha256sum pexloplay-ai-uninstaller.exe >SHA256SUMS)
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
chmod 644 "$stage"/*
TZ=UTC touch -d "@$stamp" "$stage"/* "$stage"

zipfile=$root/dist/$name.zip
rm -f "$zipfile"
(cd "$build/stage" && TZ=UTC zip -q -X -D -9 "$zipfile" \
  "$name/pexloplay-ai-uninstaller.exe" "$name/README.md" "$name/LICENSE" "$name/SHA256SUMS")
(cd dist && sha256sum "$name.zip" >"$name.zip.sha256")
echo "dist/$name.zip"
cat "dist/$name.zip.sha256"
