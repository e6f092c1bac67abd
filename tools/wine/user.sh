# Sourced by every script that runs Wine: who runs it, and where its files lie.
#
# Root is refused nothing, so a run as root could never meet what a standard
# user's Windows refuses. Started as root, these scripts therefore run every
# Wine process as the unprivileged user pexlo-wine (created when missing), in
# a folder of that user's own: the checkout may lie where no other user may
# enter (root's home), so the programs are staged there. Started by anyone
# else, Wine runs as that user, in the build folder itself.
#
#   wine_side <build>   sets WINE_ROOT: the folder holding the prefix (wine/),
#                       the sandbox drive's folder (sandbox/) and the bin
#                       drive's folder (bin/); a root in the Wine user's home
#                       records the build folder it serves in build-folder;
#                       and OTHER_VOLUME: a folder on another file system
#                       (/dev/shm), for the drive V: the fixtures step makes
#   as_wine_user CMD    runs CMD as that user, with the prefix's environment
#   stage_bin           brings <build>/bin up to date in WINE_ROOT/bin
# What a command leaves behind (tools/test.sh, tools/sample.sh, bench/run.sh):
#   wine_hold <build>   sweeps roots whose build folder is gone and marks this
#                       build's Wine files as in use until the command ends
#   wine_release        on the way out: removes them, unless KEEP_WINE=1 or
#                       another command of the same build still uses them
#   wine_leftovers <build>  lists what is left of them
#   wine_need_space <build> <MB for the build> <MB for Wine>
#                       stops the command when there is less room than that
wine_user=pexlo-wine

# Started as root: makes the Wine user when it is missing (a machine that never
# ran these scripts), and its home when that is gone; commands started at once
# make it once.
wine_user_ready() {
  [ "$(id -u)" -eq 0 ] || return 0
  flock /tmp/pexlo-wine-user.lock sh -c '
    id -u "$1" >/dev/null 2>&1 || useradd -m -s /bin/sh "$1"
    home=$(getent passwd "$1" | cut -d: -f6)
    [ -d "$home" ] || { mkdir -p "$home" && chown "$1:" "$home"; }' - "$wine_user"
}

# Sets wine_build, WINE_ROOT and wine_run_as without making anything; for a
# Wine user not made yet, its home is where useradd will put it.
wine_paths() {
  wine_build=$(cd "$1" && pwd)
  if [ "$(id -u)" -ne 0 ]; then
    WINE_ROOT=$wine_build wine_run_as=()
  else
    wine_home=$(getent passwd "$wine_user" | cut -d: -f6) || wine_home=/home/$wine_user
    WINE_ROOT=$wine_home/$(basename "$wine_build")-$(printf %s "$wine_build" | sha1sum | cut -c1-10)
    wine_run_as=(runuser -u "$wine_user" -- env HOME="$wine_home" USER="$wine_user" LOGNAME="$wine_user")
  fi
  OTHER_VOLUME=/dev/shm/pexlo-wine-$(printf %s "$WINE_ROOT" | sha1sum | cut -c1-10)
}

wine_side() {
  wine_user_ready
  wine_paths "$1"
  if [ "$WINE_ROOT" != "$wine_build" ]; then
    "${wine_run_as[@]}" mkdir -p "$WINE_ROOT"
    [ -f "$WINE_ROOT/build-folder" ] || printf '%s\n' "$wine_build" | "${wine_run_as[@]}" tee "$WINE_ROOT/build-folder" >/dev/null
  fi
  export WINEPREFIX=$WINE_ROOT/wine WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
}

# Wine names files in the Unix locale's character set: without a UTF-8 one
# (a fresh machine sets none) the tests' non-Latin folder names cannot be made.
is_utf8() { case "$1" in *[Uu][Tt][Ff]-8* | *[Uu][Tt][Ff]8*) return 0 ;; esac; return 1; }
is_utf8 "${LC_ALL:-}" || unset LC_ALL
is_utf8 "${LANG:-}" || export LANG=C.UTF-8

as_wine_user() {
  "${wine_run_as[@]}" env WINEPREFIX="$WINEPREFIX" WINEDEBUG="$WINEDEBUG" WINEDLLOVERRIDES="$WINEDLLOVERRIDES" LANG="$LANG" "$@"
}

stage_bin() {
  [ "$WINE_ROOT" != "$wine_build" ] || return 0
  # Only what is newer is copied: a program that runs is never overwritten.
  as_wine_user mkdir -p "$WINE_ROOT/bin"
  cp -r -u --preserve=timestamps "$wine_build/bin/." "$WINE_ROOT/bin/"
  chown -R "$wine_user:" "$WINE_ROOT/bin"
}

# The Wine files of one build: the whole root in the Wine user's home, or in
# a build folder that is its own root, the prefixes, the sandbox and the bundle.
wine_files() {
  echo "$OTHER_VOLUME"
  if [ "$WINE_ROOT" != "$wine_build" ]; then
    echo "$WINE_ROOT"
  else
    printf '%s\n' "$WINE_ROOT"/wine "$WINE_ROOT"/default-prefix "$WINE_ROOT"/sandbox "$WINE_ROOT"/pexloplay-ai-uninstaller-selftest.zip
  fi
}

wine_remove() {  # <root or file>...: the Wine servers of its prefixes first
  local path prefix
  for path; do
    for prefix in "$path" "$path"/wine "$path"/default-prefix; do
      [ -d "$prefix/dosdevices" ] || [ -f "$prefix/system.reg" ] || continue
      "${wine_run_as[@]}" env WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
    # The tests close folders to their user: opened again so that they can go.
    [ ! -d "$path" ] || "${wine_run_as[@]}" chmod -R u+rwX "$path" 2>/dev/null || true
    rm -rf "$path"
  done
}

# A root in the Wine user's home, or a folder of the drive V: in /dev/shm,
# whose build folder is gone serves nobody. One without a record was made
# before they had one: it goes once nothing in it has changed for an hour.
wine_sweep() {
  [ "$(id -u)" -eq 0 ] && [ -n "${wine_home:-}" ] && [ -d "$wine_home" ] || return 0
  local root build why
  for root in "$wine_home"/*-??????????/ /dev/shm/pexlo-wine-??????????/; do
    root=${root%/}
    [ -d "$root" ] || continue  # a pattern that matched nothing
    [ -d "$root/wine" ] || [ -d "$root/default-prefix" ] || [ -d "$root/sandbox" ] || [ -f "$root/build-folder" ] ||
      [[ $root == /dev/shm/* ]] || continue
    if [ -f "$root/build-folder" ]; then
      build=$(cat "$root/build-folder")
      [ ! -d "$build" ] || continue
      why="its build folder $build is gone"
    elif [ -z "$(find "$root" -mmin -60 -print -quit 2>/dev/null)" ]; then
      why="it records no build folder and has not changed for an hour"
    else
      continue
    fi
    echo "removing $root: $why" >&2
    wine_remove "$root"
  done
}

wine_hold() {
  mkdir -p "$1"
  wine_user_ready
  wine_paths "$1"
  wine_sweep
  # Every command of this build holds the lock shared; the last one out removes.
  exec 8>"$wine_build/wine-use.lock"
  flock -s 8
}

wine_release() {
  [ "${KEEP_WINE:-}" != 1 ] || return 0
  flock -x -n 8 || return 0
  local files
  mapfile -t files < <(wine_files)
  wine_remove "${files[@]}"
}

wine_leftovers() {
  wine_paths "$1"
  local file
  wine_files | while IFS= read -r file; do [ ! -e "$file" ] || echo "$file"; done
}

# Stops with a message when there is less free room than <MB for the build>
# in the build folder and <MB for Wine> where the Wine root lies, the two added
# up where both share a file system; what they hold already counts as room.
wine_need_space() {
  mkdir -p "$1"
  wine_paths "$1"
  local build_need wine_need=0 wine_dir=$WINE_ROOT what short=""
  build_need=$(($2 - $(du -sm "$wine_build" | cut -f1)))
  what="the build"
  if [ "$WINE_ROOT" = "$wine_build" ]; then
    build_need=$((build_need + $3))
  else
    wine_need=$3
    [ ! -d "$WINE_ROOT" ] || wine_need=$((wine_need - $(du -sm "$WINE_ROOT" | cut -f1)))
    while [ ! -d "$wine_dir" ]; do wine_dir=$(dirname "$wine_dir"); done
    if [ "$(stat -c %d "$wine_build")" = "$(stat -c %d "$wine_dir")" ]; then
      build_need=$((build_need + wine_need)) wine_need=0 what+=" and the Wine files in $WINE_ROOT"
    fi
  fi
  room_for() {  # <what> <folder> <MB>
    local free
    free=$(df -Pm "$2" | awk 'NR == 2 { print $4 }')
    [ "$3" -le "$free" ] || short+="  $2 ($1): $3 MB more needed, $free MB free"$'\n'
  }
  room_for "$what" "$wine_build" "$build_need"
  [ "$wine_need" -le 0 ] || room_for "the Wine files in $WINE_ROOT" "$wine_dir" "$wine_need"
  [ -z "$short" ] || { printf 'Not enough free space; nothing was built or run:\n%s' "$short" >&2; exit 1; }
}
