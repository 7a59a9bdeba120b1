#!/usr/bin/env bash
# Cross-builds for 64-bit Windows on Debian, with Debian's mingw-w64, what
# needs no FLTK library on Windows:
#
#   scripts/build-windows.sh [BUILD_DIR]        (default: build-win in the repository)
#
# Debian has no FLTK for mingw-w64, and the project neither carries FLTK nor
# builds it: FLTK for Windows comes from MSYS2's package on a Windows machine
# (docs/windows.md). Here the build is configured with RUVELLO_WINDOWS_GUI=OFF
# and gives BUILD_DIR/bin/ruvelloservice.exe, a statically linked program of
# the graphical subsystem checked to import only Windows' own DLLs, and with
# RUVELLO_WINDOWS_TESTS=ON the test programs that run under Wine and the cycle
# benchmark bench_cycle (the CMake options RUVELLO_TESTS and RUVELLO_BENCH).
# The panel and the message box are compiled for Windows, without linking,
# by tests/stages/60-mingw.sh.
#
# Exit status: 0 built; 1 a tool is missing or a step failed.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
build=${1:-$top/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=${RUVELLO_JOBS:-2}

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-windres \
            x86_64-w64-mingw32-objdump cmake; do
  command -v "$tool" >/dev/null || { echo "build-windows: $tool is not installed (see scripts/packages-test.txt)" >&2; exit 1; }
done
log() { echo "build-windows: $*"; }

tests=${RUVELLO_WINDOWS_TESTS:-OFF}
if ! cmake -S "$top" -B "$build" \
       -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
       -DCMAKE_BUILD_TYPE=Release \
       -DRUVELLO_WINDOWS_GUI=OFF \
       -DRUVELLO_TESTS="$tests" \
       -DRUVELLO_BENCH="$tests" -DRUVELLO_WERROR=ON >"$build/configure.log" 2>&1; then
  cat "$build/configure.log"
  echo "build-windows: Ruvello could not be configured for Windows" >&2
  exit 1
fi
if ! cmake --build "$build" -j"$jobs" >"$build/build.log" 2>&1; then
  grep -E 'error|Error' "$build/build.log" | head -40
  echo "build-windows: the Windows build failed (log: $build/build.log)" >&2
  exit 1
fi
# Zero warnings: a warning in the log fails the build as an error would.
if grep -q 'warning:' "$build/build.log"; then
  grep -A3 'warning:' "$build/build.log" | head -60
  echo "build-windows: the Windows build gave warnings (log: $build/build.log)" >&2
  exit 1
fi
if ! cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DPROGRAMS="$build/bin/ruvelloservice.exe" \
       -P "$top/cmake/checkwindowsprograms.cmake"; then
  echo "build-windows: ruvelloservice.exe would not run on a bare Windows" >&2
  exit 1
fi
log "built $build/bin/ruvelloservice.exe"
