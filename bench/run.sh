#!/usr/bin/env bash
# Measures the uninstaller under Wine, in one run and one prefix:
#   1. removal of identical generated extension trees by the pass by hand,
#      by the shell delete path and by `cmd /c rd /s /q`, in rotating order;
#   2. the time from starting the program to its confirmation box (two
#      processes) against a console program that shows one box;
#   3. the time from the host application's exit to the start of the removal;
#   4. the processor time of the wait for the host;
#   5. the size of the release .exe and what it imports.
# Prints a summary with medians and ratios, and keeps the raw figures in
# build-bench/bench-results/<time>/.
#
#   bench/run.sh            full run: trees of 20,000 files in 2,000 folders
#   bench/run.sh --quick    smaller trees and fewer samples, for a first look
#
# Installs what it needs (Debian packages) with apt-get, builds into
# build-bench/ and uses the prefix build-bench/wine, prepared like the tests'
# one (tests/harness/prepare-prefix.sh): no Z: drive, everything the programs
# touch lies on T: (build-bench/sandbox).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

quick=0
for argument in "$@"; do
  case $argument in
    --quick) quick=1 ;;
    *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
  esac
done
if [ $quick -eq 1 ]; then
  tree_files=2000 tree_folders=200 removal_rounds=5 startup_rounds=6 latency_samples=8 wait_seconds=10
else
  tree_files=20000 tree_folders=2000 removal_rounds=3 startup_rounds=15 latency_samples=20 wait_seconds=30
fi
count_files=300 count_folders=30 snapshot_count=400

# --- packages ----------------------------------------------------------------
packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 python3 procps coreutils)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# --- build -------------------------------------------------------------------
build="$top/build-bench"
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
      -DUNINSTALLER_TESTS=OFF -DUNINSTALLER_BENCH=ON >/dev/null
cmake --build "$build" -j2 >/dev/null

# --- prefix ------------------------------------------------------------------
"$top/tests/harness/prepare-prefix.sh" "$build"
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
sandbox="$build/sandbox"
work="$sandbox/bench"      # T:\bench
rm -rf "$work" && mkdir -p "$work"
cd "$sandbox"              # a working folder that the prefix can see
wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine
wine cmd /c exit </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# The relay trace of step 1b changes this; a run cut short there leaves it so.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.MessageBoxW' /f </dev/null >/dev/null 2>&1

results="$build/bench-results/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$results"
raw="$results/raw.txt"
note() { echo "$*" | tee -a "$raw"; }
runner() { wine 'B:\bench_runner.exe' "$@" </dev/null 2>>"$results/wine-stderr.txt"; }

note "mode $([ $quick -eq 1 ] && echo quick || echo full)"
note "machine cpus=$(nproc) model=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs | tr ' ' _)"
note "machine kernel=$(uname -r) wine=$(wine --version) memory_mb=$(free -m | awk '/Mem:/ {print $2}')"
note "load start=$(cut -d' ' -f1-3 /proc/loadavg | tr ' ' ,)"

# --- 5. size -----------------------------------------------------------------
exe="$build/bin/pexloplay-ai-uninstaller.exe"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | sort | paste -sd, -)
note "size bytes=$(stat -c %s "$exe") imports=$imports"

# --- 1. removal ----------------------------------------------------------------
echo "== removal: trees of $tree_files files in $tree_folders folders, $removal_rounds rounds" >&2
python3 "$top/bench/make_tree.py" "$work/template" "$tree_files" "$tree_folders" | tee -a "$raw" >&2
orders=(msr srm rms)
for round in $(seq 1 "$removal_rounds"); do
  for contender in m s r; do cp -a "$work/template" "$work/tree-$contender"; done
  sync -f "$work"
  order=${orders[$(( (round - 1) % 3 ))]}
  echo "   round $round, order $order" >&2
  runner remove "${order}MR" 'T:\bench\tree-m' 'T:\bench\tree-s' 'T:\bench\tree-r' 'T:\bench\absent' |
    tr -d '\r' | sed "s/^/round=$round /" | tee -a "$raw" >&2
  rm -rf "$work"/tree-?   # normally gone already
done

# --- 1b. calls into ntdll, counted ---------------------------------------------------
# Wall times on a shared machine wander; the calls each contender makes into
# ntdll (the layer under kernel32 that turns into system calls and wine server
# requests) do not. Each contender runs once under Wine's relay trace, on a
# small tree of the same kind, and once on an absent folder (what starting
# the process alone calls), so that the difference is the removal's own.
echo "== calls into ntdll: each contender once under the relay trace, $count_files files" >&2
python3 "$top/bench/make_tree.py" "$work/calls-template" "$count_files" "$count_folders" >/dev/null
note "calls-tree items=$(find "$work/calls-template" | wc -l)"
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'ntdll.*' /f </dev/null >/dev/null 2>&1
count_calls() {  # name, then the Windows command line
  local name=$1 counts
  shift
  WINEDEBUG=-all,+relay wine "$@" </dev/null >/dev/null 2>"$results/relay.txt" || true
  counts=$( (grep -o 'Call ntdll\.Nt[A-Za-z]*' "$results/relay.txt" || true) | sort | uniq -c |
           awk '{sub("ntdll.", "", $3); printf " %s=%d", $3, $1; total += $1} END {printf " total=%d", total}')
  note "calls $name$counts"
  rm -f "$results/relay.txt"
}
for contender in manual shell rd; do cp -a "$work/calls-template" "$work/calls-$contender"; done
count_calls manual 'B:\bench_remove.exe' manual 'T:\bench\calls-manual'
count_calls shell 'B:\bench_remove.exe' shell 'T:\bench\calls-shell'
count_calls rd cmd /c rd /s /q 'T:\bench\calls-rd'
count_calls manual_start 'B:\bench_remove.exe' manual 'T:\bench\absent'
count_calls rd_start cmd /c rd /s /q 'T:\bench\absent'
# Back to what tests/harness/prepare-prefix.sh sets.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.MessageBoxW' /f </dev/null >/dev/null 2>&1

# --- 2. start-up ---------------------------------------------------------------
echo "== start-up: $startup_rounds rounds of 4 contenders" >&2
runner startup "$startup_rounds" 'T:\bench\start' | tr -d '\r' | tee -a "$raw" >&2

# --- 3. wait latency -------------------------------------------------------------
echo "== latency from the host's exit to the removal: $latency_samples samples" >&2
runner latency "$latency_samples" 'T:\bench\latency' | tr -d '\r' | tee -a "$raw" >&2

# --- 4. processor time of the wait ---------------------------------------------------
# utime + stime of a Linux process, in clock ticks (0 when it has ended).
ticks() { { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null || echo; } | awk '{print $12 + $13}'; }
# The Linux process whose command line holds the text (Wine shows the Windows
# one there, its arguments separated by NULs); grep itself is left out.
pid_by_cmdline() {
  local file line
  for file in $(grep -lF -- "${1%% *}" /proc/[0-9]*/cmdline 2>/dev/null); do
    line=$(tr '\0' ' ' <"$file" 2>/dev/null) || continue
    case $line in grep*|"") ;; *"$1"*) echo "${file//[^0-9]/}"; return ;; esac
  done
}
# The prefix's own wine server: its working folder is named after the prefix's
# device and inode.
read -r device inode < <(stat -c '%d %i' "$WINEPREFIX")
server_dir="server-$(printf %x "$device")-$(printf %x "$inode")"
server=""
for candidate in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
  case $(readlink "/proc/$candidate/cwd") in */"$server_dir") server=$candidate ;; esac
done

cpu_phase() {  # idle|wait <seconds> | snapshots <count>
  local line program="" p0=0 p1=0 s0=0 s1=0 t0=0 t1=0 token loop=0
  while IFS= read -r line; do
    line=${line%$'\r'}
    echo "$line" >>"$raw"
    case $line in
      waiting*)
        case $1 in
          wait) token=${line%\\*}; token=${token##*\\} ;;  # the copy's own work folder
          snapshots) token="bench_runner.exe snapshots" ;;
          *) token="" ;;
        esac
        [ -n "$token" ] && program=$(pid_by_cmdline "$token")
        [ -n "$program" ] && p0=$(ticks "$program")
        s0=$(ticks "$server"); t0=$(date +%s%N) ;;
      waited*)
        t1=$(date +%s%N); s1=$(ticks "$server")
        [ -n "$program" ] && p1=$(ticks "$program")
        loop=$(echo "$line" | awk '{print $2}') ;;
    esac
  done < <(if [ "$1" = snapshots ]; then runner snapshots "$2"; else runner "$1" "$2" "T:\\bench\\cpu-$1"; fi)
  note "cpu $1 program_ticks=$((p1 - p0)) server_ticks=$((s1 - s0)) wall_ms=$(((t1 - t0) / 1000000))" \
       "loop_ms=$loop hz=$(getconf CLK_TCK) count=$2 found_program=$([ -n "$program" ] || [ "$1" = idle ] && echo yes || echo no)"
}
echo "== processor time: the host alone, then the program waiting for it, ${wait_seconds} s each;" \
     "then $snapshot_count snapshots back to back" >&2
cpu_phase idle "$wait_seconds"
cpu_phase wait "$wait_seconds"
cpu_phase snapshots "$snapshot_count"

note "load end=$(cut -d' ' -f1-3 /proc/loadavg | tr ' ' ,)"

# The relaunched copies asked for their deletion at the next restart; the
# prefix would carry it out at its next start. Nothing of that is wanted here.
wine reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /f \
  </dev/null >/dev/null 2>&1 || true
rm -rf "$work"

python3 "$top/bench/summarize.py" "$raw" | tee "$results/summary.md"
echo "raw figures: $raw" >&2
