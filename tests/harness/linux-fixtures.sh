#!/usr/bin/env bash
# What the tests cannot make from inside Wine, made on the Linux side as the
# user that runs Wine (see tools/wine/user.sh):
#   linux-fixtures.sh make <build>    links and closed folders
#   linux-fixtures.sh check <build>   after the tests: nothing in the closed folders is gone
# They lie in the tests' own folder, %TEMP%\pexloplay-ai-uninstaller-tests\fixtures
# (T:\temp\... in the build's prefix). Links, each to a *_target folder with
# canary files: links\inner\com.pexlo.play.ai holds node_modules\linked, a
# folder link as developers link shared modules; links\outer\com.pexlo.play.ai
# is itself one, to a working copy; sweep\PexloPlayAiUninstall\7_7 is one named
# like a work folder. (No file link: Wine lists one as a plain file, and its
# DeleteFileW deletes the target.)
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
  for target in links/inner_target links/outer_target sweep/sweep_target; do
    mkdir -p "$root/$target/deep"
    printf canary >"$root/$target/canary.txt"
    printf canary >"$root/$target/deep/canary.txt"
  done
  for folder in links/inner/com.pexlo.play.ai links/outer_target; do
    for file in "$@"; do
      mkdir -p "$(dirname "$root/$folder/$file")"
      printf "<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\"/>" >"$root/$folder/$file"
    done
  done
  mkdir -p "$root/links/inner/com.pexlo.play.ai/node_modules" "$root/links/outer" "$root/sweep/PexloPlayAiUninstall"
  ln -s ../../../inner_target "$root/links/inner/com.pexlo.play.ai/node_modules/linked"
  ln -s ../outer_target "$root/links/outer/com.pexlo.play.ai"
  ln -s ../sweep_target "$root/sweep/PexloPlayAiUninstall/7_7"
  for folder in parent unlisted; do
    for file in "$@"; do
      mkdir -p "$(dirname "$root/closed/$folder/com.pexlo.play.ai/$file")"
      printf "<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\"/>" >"$root/closed/$folder/com.pexlo.play.ai/$file"
    done
  done' - "$root" "${extension[@]}"
close 000 300
