#!/usr/bin/env bash
# Renders every message box of the program in English, Chinese and Portuguese
# and saves them as docs/images/<language>-<message>.png.
#   tools/render-boxes.sh [build folder]     (default: build)
# Runs under a virtual X display, in a Wine prefix of its own with the Chinese
# font linked; the program only ever sees folders of a scratch drive T:.
. "$(dirname "$0")/strict.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$root/build}" && cd "${1:-$root/build}" && pwd)
out=$root/docs/images
packages="g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 cmake
  wine wine64 fonts-wine xvfb xdotool imagemagick fonts-wqy-microhei"
missing=$(for p in $packages; do dpkg -s "$p" >/dev/null 2>&1 || echo "$p"; done)
if [ -n "$missing" ]; then apt-get update -qq && apt-get install -y -qq $missing >/dev/null; fi

exe=$build/bin/pexloplay-ai-uninstaller.exe
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" --target pexloplay-ai-uninstaller >/dev/null

export WINEPREFIX=$build/wine-pictures WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
scratch=$build/pictures-sandbox
if [ ! -f "$WINEPREFIX/.prepared" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 && wineserver -w
  # Wine's own fonts (Tahoma, Marlett for the title bar buttons) and the
  # Chinese one, linked to the dialog faces.
  cp /usr/share/wine/fonts/*.ttf /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/"
  link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    wine reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
  done
  # Wine draws the title bars itself: there is no window manager on the display.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
  rm -f "$WINEPREFIX/dosdevices/z:"
  for dir in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$dir" ]; then rm "$dir" && mkdir "$dir"; fi
  done
  touch "$WINEPREFIX/.prepared"
fi
rm -rf "$scratch" && mkdir -p "$scratch"
ln -sfn "$scratch" "$WINEPREFIX/dosdevices/t:"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")
wineserver -p

# Waits for a box of the program other than $1 and prints its X window id.
next_box() {
  for _ in $(seq 300); do
    for w in $(xdotool search --onlyvisible --name 'Pexlo Play' 2>/dev/null); do
      [ "$w" != "${1:-}" ] && { sleep 0.5; echo "$w"; return; }
    done
    sleep 0.1
  done
  echo "no message box appeared" >&2; return 1
}
# Gives box $1 the keyboard. Wine draws the first box of a process with an
# inactive title bar all the same; a later box of the same process is active.
focus() { xdotool windowfocus "$1" && sleep 0.5; }
# Presses OK on the focused box $1 and waits until the box is gone.
press_ok() {
  xdotool key Return
  for _ in $(seq 100); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "box $1 did not close" >&2; return 1
}
# Saves box $1 as docs/images/$2.png (no time stamps inside) and presses OK.
shoot() {
  focus "$1"
  import -window "$1" -define png:exclude-chunks=date,time,tIME "$out/$2.png"
  echo "docs/images/$2.png: $(xdotool getwindowname "$1")"
  press_ok "$1"
}
# Starts the program from a launch folder of its own with the given arguments.
start() {
  local launch="$scratch/launch-$RANDOM"
  mkdir -p "$launch" && cp "$exe" "$launch/"
  LC_ALL=$locale wine "T:\\${launch##*/}\\pexloplay-ai-uninstaller.exe" "$@" >/dev/null 2>&1 &
  programs+=($!)
}
extension() {  # a small extension folder on T:
  mkdir -p "$scratch/$1/CSXS" "$scratch/$1/js"
  echo '<ExtensionManifest/>' >"$scratch/$1/CSXS/manifest.xml"
  echo '// main' >"$scratch/$1/js/main.js"
}

mkdir -p "$out"
programs=()
for lang in en zh pt; do
  case $lang in en) locale=en_US.UTF-8 ;; zh) locale=zh_CN.UTF-8 ;; pt) locale=pt_BR.UTF-8 ;; esac
  start
  shoot "$(next_box)" "$lang-usage"
  start "lang=$lang"
  shoot "$(next_box)" "$lang-missing-extdir"

  extension "ext-$lang"
  start "extdir=T:\\ext-$lang" "lang=$lang"
  box=$(next_box)
  shoot "$box" "$lang-confirm-removal"
  shoot "$(next_box "$box")" "$lang-removed"
  [ ! -e "$scratch/ext-$lang" ] || { echo "ext-$lang was not removed" >&2; exit 1; }

  # A file that another program holds open keeps the folder from going.
  extension "held-$lang"
  mkfifo "$scratch/hold-$lang"
  wine cmd /c "set /p x= > T:\\held-$lang\\in-use.txt" <"$scratch/hold-$lang" >/dev/null 2>&1 &
  programs+=($!)
  exec 8>"$scratch/hold-$lang"
  while [ ! -e "$scratch/held-$lang/in-use.txt" ]; do sleep 0.1; done
  start "extdir=T:\\held-$lang" "lang=$lang"
  box=$(next_box)
  focus "$box" && press_ok "$box"
  shoot "$(next_box "$box")" "$lang-remove-failed"
  exec 8>&-
  [ -e "$scratch/held-$lang" ] || { echo "held-$lang was removed" >&2; exit 1; }
done
wait "${programs[@]}"
