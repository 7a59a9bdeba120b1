#!/usr/bin/env bash
# Cross-builds Ruvello for 64-bit Windows on Debian with mingw-w64:
#
#   scripts/build-windows.sh [BUILD_DIR]        (default: build-win in the repository)
#
# 1. FLTK 1.3.8's core library, static, for mingw-w64, into BUILD_DIR/fltk/install.
#    The source is, in this order: the archive (.tar.gz) or folder named by
#    RUVELLO_FLTK_SOURCE; ../shared/third_party/fltk-1.3.8.tar.gz beside the
#    repository; the upstream tag release-1.3.8, cloned with git. FLTK is built
#    once per build folder: BUILD_DIR/fltk/built names the source it came from,
#    and a later run reuses it (remove BUILD_DIR/fltk to build it again).
# 2. Ruvello against that FLTK: BUILD_DIR/bin/ruvelloconfig.exe,
#    ruvelloservice.exe and ruvellomsgbox.exe, statically linked programs of
#    the graphical subsystem; each is checked to import only Windows' own DLLs.
# 3. The installer BUILD_DIR/ruvello-2.0-beta-setup.exe, made by makensis from
#    packaging/windows/ruvello.nsi.
#
# RUVELLO_WINDOWS_TESTS=ON also builds the test programs that run under Wine
# and the cycle benchmark bench_cycle (the CMake options RUVELLO_TESTS and
# RUVELLO_BENCH of the Windows build).
#
# Exit status: 0 built; 1 a step failed; 3 no FLTK source could be found or
# fetched (nothing was built; the Windows test stage counts this as skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
build=${1:-$top/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=${RUVELLO_JOBS:-2}
fltkversion=1.3.8
fltktag=release-1.3.8
fltkrepository=https://github.com/fltk/fltk.git

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-windres \
            x86_64-w64-mingw32-objdump cmake makensis; do
  command -v "$tool" >/dev/null || { echo "build-windows: $tool is not installed (see scripts/packages-test.txt)" >&2; exit 1; }
done

fltk=$build/fltk
stamp=$fltk/built
log() { echo "build-windows: $*"; }

# --- FLTK ------------------------------------------------------------------
# Sets fltksource to a folder holding FLTK's top CMakeLists.txt and
# fltkorigin to a line naming where it came from; returns 3 when there is none.
findfltksource() {
  local archive=$top/../shared/third_party/fltk-$fltkversion.tar.gz
  local origin=""
  if [ -n "${RUVELLO_FLTK_SOURCE:-}" ]; then
    origin=$RUVELLO_FLTK_SOURCE
    if [ ! -e "$origin" ]; then
      # A source named but missing is a mistake to mend, not a lack to skip.
      echo "build-windows: RUVELLO_FLTK_SOURCE names $origin, which does not exist" >&2
      return 1
    fi
  elif [ -e "$archive" ]; then
    origin=$(cd "$(dirname "$archive")" && pwd)/$(basename "$archive")
  fi
  rm -rf "$fltk/src"
  mkdir -p "$fltk/src"
  if [ -d "$origin" ]; then
    # A folder is used where it is: FLTK builds out of its source tree.
    fltksource=$origin
  elif [ -n "$origin" ]; then
    tar -xf "$origin" -C "$fltk/src" || { echo "build-windows: cannot unpack $origin" >&2; return 1; }
    fltksource=$(dirname "$(find "$fltk/src" -maxdepth 2 -name CMakeLists.txt -path '*/fltk*' | head -1)")
  else
    origin="$fltkrepository $fltktag"
    echo "build-windows: no local FLTK source; cloning $origin" >&2
    if ! command -v git >/dev/null || \
       ! git clone -q --depth 1 --branch "$fltktag" "$fltkrepository" "$fltk/src/fltk" 2>"$fltk/clone.log"; then
      echo "build-windows: no FLTK source: RUVELLO_FLTK_SOURCE is not set, $archive does not exist and $fltkrepository ($fltktag) cannot be cloned (offline?)" >&2
      return 3
    fi
    fltksource=$fltk/src/fltk
  fi
  if [ ! -f "$fltksource/CMakeLists.txt" ] || [ ! -f "$fltksource/FL/Fl.H" ]; then
    echo "build-windows: $origin holds no FLTK source tree" >&2
    return 1
  fi
  fltkorigin=$origin
}

if [ -f "$stamp" ] && [ -f "$fltk/install/lib/libfltk.a" ]; then
  log "FLTK reused from $fltk/install (built from $(cat "$stamp"))"
else
  status=0
  findfltksource || status=$?
  [ "$status" -eq 0 ] || exit "$status"
  log "building FLTK $fltkversion from $fltkorigin"
  started=$(date +%s)
  rm -rf "$fltk/build" "$fltk/install"
  # Static libraries only, with FLTK's own copies of zlib, libpng and libjpeg;
  # no OpenGL, no test or example programs (fluid is not built when cross-compiling).
  if ! cmake -S "$fltksource" -B "$fltk/build" \
         -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
         -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_INSTALL_PREFIX="$fltk/install" \
         -DOPTION_BUILD_SHARED_LIBS=OFF \
         -DOPTION_USE_GL=OFF \
         -DFLTK_BUILD_TEST=OFF \
         -DFLTK_BUILD_EXAMPLES=OFF \
         -DOPTION_USE_SYSTEM_LIBJPEG=OFF \
         -DOPTION_USE_SYSTEM_LIBPNG=OFF \
         -DOPTION_USE_SYSTEM_ZLIB=OFF >"$fltk/configure.log" 2>&1; then
    tail -30 "$fltk/configure.log"
    echo "build-windows: FLTK could not be configured (log: $fltk/configure.log)" >&2
    exit 1
  fi
  # Only the core library is built and installed: the programs use nothing
  # else of FLTK, and its image and forms libraries would take a third of
  # the time. The headers are those FLTK's own install puts in place: the
  # source's, and abi-version.h from the build.
  if ! cmake --build "$fltk/build" --target fltk -j"$jobs" >"$fltk/build.log" 2>&1; then
    tail -30 "$fltk/build.log"
    echo "build-windows: FLTK could not be built (log: $fltk/build.log)" >&2
    exit 1
  fi
  mkdir -p "$fltk/install/include/FL" "$fltk/install/lib"
  if ! find "$fltksource/FL" "$fltk/build/FL" -maxdepth 1 -type f -name '*.[hH]' \
         ! -path "$fltksource/FL/abi-version.h" -exec cp {} "$fltk/install/include/FL/" \; || \
     ! cp "$fltk/build/lib/libfltk.a" "$fltk/install/lib/" || \
     [ ! -f "$fltk/install/include/FL/abi-version.h" ]; then
    echo "build-windows: FLTK's headers and library could not be installed in $fltk/install" >&2
    exit 1
  fi
  # The unpacked source is no longer needed once installed.
  rm -rf "$fltk/src"
  echo "$fltkorigin" >"$stamp"
  log "FLTK built in $(( $(date +%s) - started )) s"
fi

# --- Ruvello ------------------------------------------------------------------
tests=${RUVELLO_WINDOWS_TESTS:-OFF}
if ! cmake -S "$top" -B "$build" \
       -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
       -DCMAKE_BUILD_TYPE=Release \
       -DRUVELLO_FLTK_DIR="$fltk/install" \
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

# Each program must run on a bare Windows: graphical subsystem, and no DLL
# imported but Windows' own.
systemdlls='^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|shell32|advapi32|ws2_32|winspool\.drv|msvcrt|imm32|uuid|version|shlwapi)\.dll$'
for program in ruvelloconfig ruvelloservice ruvellomsgbox; do
  exe=$build/bin/$program.exe
  [ -f "$exe" ] || { echo "build-windows: $exe was not built" >&2; exit 1; }
  headers=$(x86_64-w64-mingw32-objdump -p "$exe")
  if ! grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers"; then
    echo "build-windows: $program.exe is not a program of the graphical subsystem" >&2
    exit 1
  fi
  others=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | grep -Ev "$systemdlls" || true)
  if [ -n "$others" ]; then
    echo "build-windows: $program.exe imports DLLs that a bare Windows lacks: $others" >&2
    exit 1
  fi
done
log "built $build/bin/ruvelloconfig.exe, ruvelloservice.exe, ruvellomsgbox.exe"

# --- the installer --------------------------------------------------------------
setup=$build/ruvello-2.0-beta-setup.exe
rm -f "$setup"
if ! makensis -V2 -NOCD -DBINDIR="$build/bin" -DRESOURCES="$top/resources" -DOUTFILE="$setup" \
       "$top/packaging/windows/ruvello.nsi" >"$build/installer.log" 2>&1 || [ ! -f "$setup" ]; then
  cat "$build/installer.log"
  echo "build-windows: makensis could not build the installer" >&2
  exit 1
fi
log "built $setup"
