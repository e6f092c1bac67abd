#!/usr/bin/env bash
# What the tests cannot make from inside Wine, made on the Linux side as the
# user that runs Wine (tools/wine/user.sh) in the tests' own folder,
# %TEMP%\pexloplay-ai-uninstaller-tests\fixtures (T:\temp\... in the build's prefix):
# - links, each to a *_target folder with canary files: links\inner\com.pexlo.play.ai
#   holds node_modules\linked, as developers link shared modules; links\outer\
#   com.pexlo.play.ai is one itself, to a working copy; sweep\PexloPlayAiUninstall\7_7
#   is one named like a work folder (no file link: Wine lists one as a plain file,
#   and its DeleteFileW deletes the target);
# - closed folders: closed\parent may not be opened (mode 000); closed\unlisted\
#   com.pexlo.play.ai may be entered but not listed (mode 300);
# - names that Windows' plain form reads as others: names\com.pexlo.play.ai holds
#   aux.js, con.txt, nul.d.ts, "trailing." and "space " and a folder "dir." with a file;
# - drive V:, an empty folder on another file system (/dev/shm), where Windows
#   would have another volume; none when /dev/shm is not one of its own.
# Usage: linux-fixtures.sh <build folder>
. "$(dirname "$0")/../../tools/strict.sh"
. "$(dirname "$0")/../../tools/wine/user.sh"
wine_side "$1"
as_wine_user bash -c '
  set -eu
  root=$1
  chmod -R u+rwX "$root" 2>/dev/null || true
  rm -rf "$root"
  for target in links/inner_target links/outer_target sweep/sweep_target; do
    mkdir -p "$root/$target/deep"
    printf canary >"$root/$target/canary.txt"
    printf canary >"$root/$target/deep/canary.txt"
  done
  for folder in links/inner/com.pexlo.play.ai links/outer_target closed/parent/com.pexlo.play.ai \
      closed/unlisted/com.pexlo.play.ai; do
    for file in CSXS/manifest.xml index.html js/main.js; do
      mkdir -p "$(dirname "$root/$folder/$file")"
      printf "<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\"/>" >"$root/$folder/$file"
    done
  done
  mkdir -p "$root/links/inner/com.pexlo.play.ai/node_modules" "$root/links/outer" "$root/sweep/PexloPlayAiUninstall"
  ln -s ../../../inner_target "$root/links/inner/com.pexlo.play.ai/node_modules/linked"
  ln -s ../outer_target "$root/links/outer/com.pexlo.play.ai"
  ln -s ../sweep_target "$root/sweep/PexloPlayAiUninstall/7_7"
  names=$root/names/com.pexlo.play.ai
  mkdir -p "$names/node_modules/dir."
  for file in aux.js con.txt nul.d.ts trailing. "space " dir./index.js; do printf x >"$names/node_modules/$file"; done
  chmod 000 "$root/closed/parent"
  chmod 300 "$root/closed/unlisted/com.pexlo.play.ai"' - "$WINE_ROOT/sandbox/temp/pexloplay-ai-uninstaller-tests/fixtures"
as_wine_user rm -rf "$OTHER_VOLUME" "$WINEPREFIX/dosdevices/v:"
if [ -d /dev/shm ] && [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$WINE_ROOT")" ]; then
  as_wine_user mkdir "$OTHER_VOLUME"
  printf '%s\n' "$wine_build" | as_wine_user tee "$OTHER_VOLUME/build-folder" >/dev/null
  as_wine_user ln -s "$OTHER_VOLUME" "$WINEPREFIX/dosdevices/v:"
fi
