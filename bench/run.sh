#!/usr/bin/env bash
# Measures the uninstaller under Wine; see docs/performance.md.
#   bench/run.sh            full run: trees of 20,000 files in 2,000 folders
#   bench/run.sh --quick    trees of 2,000 files, fewer runs, for a first look
# Installs what it needs with apt-get, builds build-bench/, prepares its prefix
# like the tests' one (no Z: drive; T: is the sandbox, B: a copy of the bin
# folder, both in WINE_ROOT: see tools/wine/user.sh), times with hyperfine what
# hyperfine can time, the rest with bench/wait.py, and prints each target with
# its figure. Raw exports stay in build-bench/bench-results/<time>/.
# Started as root, it builds as root but runs every Wine process as the user of
# tools/wine/user.sh; hyperfine and wait.py stay root and start Wine through
# the words of as_wine_user.
. "$(dirname "$0")/../tools/strict.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  "") files=20000 folders=2000 removal_rounds=3 start_rounds=5 start_runs=6 samples=20 seconds=30 ;;
  --quick) files=2000 folders=200 removal_rounds=3 start_rounds=2 start_runs=5 samples=6 seconds=10 ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 python3 procps hyperfine)
missing=$(for package in "${packages[@]}"; do dpkg -s "$package" >/dev/null 2>&1 || echo "$package"; done)
if [ -n "$missing" ]; then
  sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
  $sudo apt-get update -q
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

build=$top/build-bench
. "$top/tools/wine/user.sh"
wine_hold "$build"  # its Wine files go at the end, unless KEEP_WINE=1
trap wine_release EXIT
trap 'exit 130' INT TERM
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
      -DUNINSTALLER_TESTS=OFF -DUNINSTALLER_BENCH=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
"$top/tools/wine/prepare-prefix.sh" "$build"
WINEDEBUG=-all
wine_side "$build"
# The words that run a command as the Wine user with the prefix's variables
# (as_wine_user), for hyperfine's shell (each word quoted) and for wait.py (JSON).
as_user=("${wine_run_as[@]}" env WINEPREFIX="$WINEPREFIX" WINEDEBUG="$WINEDEBUG" WINEDLLOVERRIDES="$WINEDLLOVERRIDES")
quote() { local word out=(); for word; do out+=("'${word//\'/\'\\\'\'}'"); done; printf '%s' "${out[*]}"; }
wine_words=$(quote "${as_user[@]}")
bin=$WINE_ROOT/bin work=$WINE_ROOT/sandbox/bench  # B:\ and T:\bench
rm -rf "$work" && as_wine_user mkdir -p "$work"
cd "$work"
as_wine_user wineserver -p </dev/null >/dev/null 2>&1 || true  # one server for the whole run
as_wine_user wine cmd /c exit </dev/null >/dev/null 2>&1
finish() {  # the program's copies asked to be deleted at the prefix's next start: not wanted
  as_wine_user wine reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /f \
    </dev/null >/dev/null 2>&1 || true
  as_wine_user wineserver -k >/dev/null 2>&1 || true
  wine_release
}
trap finish EXIT
# The prefix's %TEMP%, where the program's copies go; made if missing.
temp=$(as_wine_user wine cmd /c 'echo %TEMP%' </dev/null 2>/dev/null | tr -d '\r')
temp=$(as_wine_user winepath -u "$temp" </dev/null 2>/dev/null)
[ -n "$temp" ] || { echo "$0: the prefix's %TEMP% not found" >&2; exit 1; }
as_wine_user mkdir -p "$temp" && temp=$(cd "$temp" && pwd -P)
rm -rf "$temp"/PexloPlayAiUninstall* "$temp"/bench_box_*

results=$build/bench-results/$(date +%Y%m%d-%H%M%S)
mkdir -p "$results"
{
  echo "mode: $([ -n "${1:-}" ] && echo quick || echo full), $files files in $folders folders"
  echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), $(uname -r), $(as_wine_user wine --version)"
  echo "wine runs as: $(as_wine_user id -un)"
  echo "load at start: $(cut -d' ' -f1-3 /proc/loadavg)"
} >"$results/machine.txt"
cat "$results/machine.txt"

exe=$build/bin/pexloplay-ai-uninstaller.exe
echo "$(stat -c %s "$exe") $(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | paste -sd, -)" \
  >"$results/size.txt"

# hyperfine over the (name, command line) pairs of $commands, <rounds> times,
# the order rotating from round to round: the contenders take turns while the
# load of the shared machine changes. One export per round.
rotated() {  # <export name> <rounds> <hyperfine options>
  local name=$1 rounds=$2 round pair arguments
  shift 2
  for round in $(seq 0 $((rounds - 1))); do
    arguments=()
    for pair in $(seq 0 2 $((${#commands[@]} - 1))); do
      pair=$(((pair + 2 * round) % ${#commands[@]}))
      arguments+=(-n "${commands[pair]}" "${commands[pair + 1]}")
    done
    hyperfine --style basic --export-json "$results/$name-$round.json" --export-markdown "$results/$name-$round.md" \
              "$@" "${arguments[@]}"
  done
}

echo "== removal of identical trees"
python3 "$top/bench/make_tree.py" "$work/template" "$files" "$folders"
[ "$WINE_ROOT" = "$wine_build" ] || chown -R "$wine_user:" "$work/template"
removers() {  # the three contenders on T:\bench\<folder>
  # (`wine cmd` would start cmd.exe through start.exe, one process more.)
  commands=(manual "$wine_words wine 'B:\\bench_remove.exe' manual 'T:\\bench\\$1'"
            shell "$wine_words wine 'B:\\bench_remove.exe' shell 'T:\\bench\\$1'"
            rd "$wine_words wine 'C:\\windows\\system32\\cmd.exe' /c rd /s /q 'T:\\bench\\$1'")
}
removers tree
# A tree left behind by a contender makes the next preparation fail, and so the run.
rotated removal "$removal_rounds" --runs 1 \
        --prepare "$wine_words sh -c 'test ! -e tree && cp -a template tree && sync -f .'"
echo "== the same processes on an absent folder: what starting them costs"
removers absent
rotated absent "$start_rounds" --warmup 1 --runs "$start_runs" --ignore-failure

echo "== start-up: unattended runs with nothing to remove"
# The program's copy deletes the launched .exe after its run: each run gets a
# new one, once the copy of the run before has ended.
launch="while pgrep -f 'origdir=.?[T]:.bench.launch' >/dev/null; do sleep 0.01; done
        $wine_words sh -c 'mkdir -p launch && cp \"\$@\" launch/' - $(quote "$bin/pexloplay-ai-uninstaller.exe" "$bin/bench_box.exe")"
program="$wine_words wine 'T:\\bench\\launch\\pexloplay-ai-uninstaller.exe' 'extdir=T:\\bench\\absent\\com.pexlo.play.ai' silent=1"
commands=(program-two-processes "$program wait=1" program-as-copy "$program stage=2"
          box-two-processes "$wine_words wine 'T:\\bench\\launch\\bench_box.exe' silent relaunch"
          box "$wine_words wine 'T:\\bench\\launch\\bench_box.exe' silent")
rotated startup "$start_rounds" --warmup 1 --runs "$start_runs" --prepare "$launch"

echo "== the wait for the host: latency and processor time"
BENCH_WINE=$(python3 -c 'import json, sys; print(json.dumps(sys.argv[1:]))' "${as_user[@]}") BENCH_TEMP=$temp \
  python3 "$top/bench/wait.py" "$results" "$samples" "$seconds"

echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$results/machine.txt"
# One copy of the program for each start-up run is still in %TEMP%.
cd "$build" && rm -rf "$work" "$temp"/PexloPlayAiUninstall* "$temp"/bench_box_*
python3 "$top/bench/summarize.py" "$results" | tee "$results/summary.md"
echo "raw exports: $results"
