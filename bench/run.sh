#!/usr/bin/env bash
# Measures the uninstaller under Wine; see docs/performance.md.
#   bench/run.sh            full run: trees of 20,000 files in 2,000 folders
#   bench/run.sh --quick    trees of 2,000 files, fewer runs, for a first look
# Installs what it needs with apt-get, builds build-bench/, prepares its prefix
# like the tests' one (no Z: drive; T: is build-bench/sandbox, B: the bin
# folder), times with hyperfine what hyperfine can time, the rest with
# bench/wait.py, and prints each target with its figure. Raw exports stay in
# build-bench/bench-results/<time>/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  "") files=20000 folders=2000 removal_rounds=3 start_rounds=5 start_runs=6 samples=20 seconds=30 ;;
  --quick) files=2000 folders=200 removal_rounds=3 start_rounds=2 start_runs=5 samples=6 seconds=10 ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 python3 procps hyperfine)
missing=$(for package in "${packages[@]}"; do dpkg -s "$package" >/dev/null 2>&1 || echo "$package"; done)
if [ -n "$missing" ]; then
  sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
  $sudo apt-get update -q
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

build=$top/build-bench
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
      -DUNINSTALLER_TESTS=OFF -DUNINSTALLER_BENCH=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
"$top/tools/wine/prepare-prefix.sh" "$build"
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bin=$build/bin work=$build/sandbox/bench  # B:\ and T:\bench
temp=$(echo "$WINEPREFIX"/drive_c/users/*/Temp)
rm -rf "$work" "$temp"/PexloPlayAiUninstall* "$temp"/bench_box_* && mkdir -p "$work"
cd "$work"
wineserver -p </dev/null >/dev/null 2>&1 || true  # one server for the whole run
wine cmd /c exit </dev/null >/dev/null 2>&1
finish() {  # the program's copies asked to be deleted at the prefix's next start: not wanted
  wine reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /f \
    </dev/null >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
}
trap finish EXIT

results=$build/bench-results/$(date +%Y%m%d-%H%M%S)
mkdir -p "$results"
{
  echo "mode: $([ -n "${1:-}" ] && echo quick || echo full), $files files in $folders folders"
  echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), $(uname -r), $(wine --version)"
  echo "load at start: $(cut -d' ' -f1-3 /proc/loadavg)"
} >"$results/machine.txt"
cat "$results/machine.txt"

exe=$bin/pexloplay-ai-uninstaller.exe
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
# (`wine cmd` would start cmd.exe through start.exe, one process more.)
commands=(manual "wine 'B:\\bench_remove.exe' manual 'T:\\bench\\tree'"
          shell "wine 'B:\\bench_remove.exe' shell 'T:\\bench\\tree'"
          rd "wine 'C:\\windows\\system32\\cmd.exe' /c rd /s /q 'T:\\bench\\tree'")
# A tree left behind by a contender makes the next preparation fail, and so the run.
rotated removal "$removal_rounds" --runs 1 --prepare "test ! -e tree && cp -a template tree && sync -f ."
echo "== the same processes on an absent folder: what starting them costs"
commands=("${commands[@]/tree/absent}")
rotated absent "$start_rounds" --warmup 1 --runs "$start_runs" --ignore-failure

echo "== start-up: unattended runs with nothing to remove"
# The program's copy deletes the launched .exe after its run: each run gets a
# new one, once the copy of the run before has ended.
launch="while pgrep -f 'origdir=.?[T]:.bench.launch' >/dev/null; do sleep 0.01; done
        mkdir -p launch && cp '$exe' '$bin/bench_box.exe' launch/"
program="wine 'T:\\bench\\launch\\pexloplay-ai-uninstaller.exe' 'extdir=T:\\bench\\absent\\com.pexlo.play.ai' silent=1"
commands=(program-two-processes "$program wait=1" program-as-copy "$program stage=2"
          box-two-processes "wine 'T:\\bench\\launch\\bench_box.exe' silent relaunch"
          box "wine 'T:\\bench\\launch\\bench_box.exe' silent")
rotated startup "$start_rounds" --warmup 1 --runs "$start_runs" --prepare "$launch"

echo "== the wait for the host: latency and processor time"
python3 "$top/bench/wait.py" "$results" "$samples" "$seconds"

echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$results/machine.txt"
# One copy of the program for each start-up run is still in %TEMP%.
cd "$build" && rm -rf "$work" "$temp"/PexloPlayAiUninstall* "$temp"/bench_box_*
python3 "$top/bench/summarize.py" "$results" | tee "$results/summary.md"
echo "raw exports: $results"
