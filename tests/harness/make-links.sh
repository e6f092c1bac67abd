#!/usr/bin/env bash
# Links cannot be made from inside Wine, so the folders with links that the
# removal tests need are made here, on the sandbox drive, before they run:
#   T:\links\inner         a folder holding a folder link
#   T:\links\outer         itself a link to a folder
#   T:\links\*_target      what the links point at, with canary files
# No file link: Wine lists one as a plain file, and its DeleteFileW deletes
# the target and keeps the link (Windows deletes the link).
set -euo pipefail
build=$(cd "$1" && pwd)
root="$build/sandbox/links"
rm -rf "$root"
for target in inner_target outer_target; do
  mkdir -p "$root/$target/deep"
  printf canary >"$root/$target/canary.txt"
  printf canary >"$root/$target/deep/canary.txt"
done
mkdir -p "$root/inner/sub"
printf x >"$root/inner/plain.txt"
printf x >"$root/inner/sub/plain.txt"
ln -s ../inner_target "$root/inner/folder_link"
ln -s outer_target "$root/outer"

# For the end-to-end cases: two self-contained trees that a test moves into
# a fresh sandbox folder of its own before it runs the program on them (the
# links are relative, so they move along):
#   e2e_inside  an extension holding a link to a folder beside it
#   e2e_itself  an extension folder that is itself such a link
for tree in e2e_inside e2e_itself; do
  base="$root/$tree"
  mkdir -p "$base/Adobe/CEP/extensions" "$base/target/deep"
  printf canary >"$base/canary.txt"
  printf canary >"$base/Adobe/CEP/extensions/canary.txt"
  printf canary >"$base/target/canary.txt"
  printf canary >"$base/target/deep/canary.txt"
done
ext="$root/e2e_inside/Adobe/CEP/extensions/com.pexlo.play.ai"
mkdir -p "$ext/sub"
printf x >"$ext/manifest.xml"
printf x >"$ext/sub/plain.txt"
ln -s ../../../../target "$ext/outside_link"
ln -s ../../../target "$root/e2e_itself/Adobe/CEP/extensions/com.pexlo.play.ai"
