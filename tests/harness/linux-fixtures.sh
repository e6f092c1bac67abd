#!/usr/bin/env bash
# What the tests cannot make from inside Wine, made on the Linux side as the
# user that runs Wine (see tools/wine/user.sh):
#   fixtures.sh make <build>    links and closed folders
#   fixtures.sh check <build>   after the tests: nothing in the closed folders is gone
# They lie in the tests' own folder, %TEMP%\pexloplay-ai-uninstaller-tests\fixtures
# (T:\temp\... in the build's prefix). Links: links\inner holds a link to a folder, links\outer is one; each
# points at a *_target folder with canary files. (No file link: Wine lists one
# as a plain file, and its DeleteFileW deletes the target.)
# Closed folders: closed\parent may not be opened at all (mode 000), so
# nothing can be learnt of the extension folder in it; closed\unlisted\
# com.pexlo.play.ai may be entered but not listed (mode 300).
set -euo pipefail
. "$(dirname "$0")/../../tools/wine/user.sh"
wine_side "$2"
root=$WINE_ROOT/sandbox/temp/pexloplay-ai-uninstaller-tests/fixtures
extension=(CSXS/manifest.xml index.html js/main.js)
close() { as_wine_user chmod "$1" "$root/closed/parent" && as_wine_user chmod "$2" "$root/closed/unlisted/com.pexlo.play.ai"; }
if [ "$1" = check ]; then  # two extension folders of three files each, opened to be counted
  close 700 700
  count=$(as_wine_user find "$root/closed" -type f | wc -l)
  close 000 300
  [ "$count" -eq 6 ] || { echo "closed folders: $count files of 6 left"; exit 1; }
  exit 0
fi
as_wine_user bash -c '
  set -eu
  root=$1
  shift
  chmod -R u+rwX "$root" 2>/dev/null || true
  rm -rf "$root"
  for target in inner_target outer_target; do
    mkdir -p "$root/links/$target/deep"
    printf canary >"$root/links/$target/canary.txt"
    printf canary >"$root/links/$target/deep/canary.txt"
  done
  mkdir -p "$root/links/inner/sub"
  ln -s ../inner_target "$root/links/inner/folder_link"
  ln -s outer_target "$root/links/outer"
  for folder in parent unlisted; do
    for file in "$@"; do
      mkdir -p "$(dirname "$root/closed/$folder/com.pexlo.play.ai/$file")"
      printf "<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\"/>" >"$root/closed/$folder/com.pexlo.play.ai/$file"
    done
  done' - "$root" "${extension[@]}"
close 000 300
