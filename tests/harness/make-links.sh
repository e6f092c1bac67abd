#!/usr/bin/env bash
# Wine cannot make links: the removal tests' folder links are made here, on the
# sandbox drive: T:\links\inner holds one, T:\links\outer is one, and each
# points at a *_target folder with canary files. (No file link: Wine lists one
# as a plain file, and its DeleteFileW deletes the target.)
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

