#!/usr/bin/env bash
# The Wine set-up as a machine meets it that never ran the README's commands:
# as root, with no Wine user yet, and again with the user but without its home.
# A Wine user of this check's own, named after the build folder, goes through
# what tools/test.sh, tools/sample.sh and bench/run.sh do before and after
# their Wine runs; the user and its home are removed at the end.
#   tests/setup/first-run.sh <build folder>
. "$(dirname "$0")/../../tools/strict.sh"
[ "$(id -u)" -eq 0 ] || { echo "skipped: only a run as root makes the Wine user"; exit 77; }
. "$(dirname "$0")/../../tools/wine/user.sh"
build=$(cd "$1" && pwd)/first-run
wine_user=pexlo-first-$(printf %s "$build" | sha1sum | cut -c1-10)
forget_user() { ! id -u "$wine_user" >/dev/null 2>&1 || userdel -r "$wine_user" 2>/dev/null || true; }
trap 'forget_user; rm -rf "$build"' EXIT
trap 'exit 130' INT TERM
forget_user  # what a killed run left

first_run() {  # in a subshell: the lock that wine_hold takes goes with it
  wine_hold "$build"
  wine_need_space "$build" 1 1
  wine_side "$build"
  mkdir -p "$build/bin" && echo staged >"$build/bin/program.exe"
  stage_bin
  as_wine_user cat "$WINE_ROOT/bin/program.exe" | cmp - "$build/bin/program.exe"  # the user reads its copy
  wine_release
  left=$(wine_leftovers "$build")
  [ -z "$left" ] || { printf 'left behind:\n%s\n' "$left" >&2; return 1; }
}
(first_run)
echo "no Wine user: passed"
rm -rf "$(getent passwd "$wine_user" | cut -d: -f6)"
(first_run)
echo "a Wine user without its home: passed"
