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

