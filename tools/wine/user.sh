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
#                       drive's folder (bin/)
#   as_wine_user CMD    runs CMD as that user, with the prefix's environment
#   stage_bin           brings <build>/bin up to date in WINE_ROOT/bin
wine_user=pexlo-wine

wine_side() {
  wine_build=$(cd "$1" && pwd)
  if [ "$(id -u)" -ne 0 ]; then
    WINE_ROOT=$wine_build wine_run_as=()
  else
    id -u "$wine_user" >/dev/null 2>&1 ||
      flock /tmp/pexlo-wine-user.lock sh -c "id -u $wine_user >/dev/null 2>&1 || useradd -m -s /bin/sh $wine_user"
    local home
    home=$(getent passwd "$wine_user" | cut -d: -f6)
    WINE_ROOT=$home/$(basename "$wine_build")-$(printf %s "$wine_build" | sha1sum | cut -c1-10)
    wine_run_as=(runuser -u "$wine_user" -- env HOME="$home" USER="$wine_user" LOGNAME="$wine_user")
    "${wine_run_as[@]}" mkdir -p "$WINE_ROOT"
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
