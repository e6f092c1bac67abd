#!/usr/bin/env bash
# Configures and builds the program and its tests into build/.
. "$(dirname "$0")/strict.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$top/build" -j"$(nproc)"
