#!/usr/bin/env bash
# Keeps every program source honest for Windows: each source of store/,
# platform/ (its Windows sides, *_win32.cpp, and the files both systems share),
# service/, config/ and msgbox/ must compile with Debian's mingw-w64 cross
# compiler, compile only, warnings as errors, against FLTK's headers from
# Debian's libfltk1.3-dev with WIN32 defined (they hold FL/win32.H). The
# panel's and the message box's Windows code cannot be linked here (Debian
# has no FLTK library for Windows), so this is where it cannot rot unseen.
# Only FLTK's own header folder is taken from /usr/include (through a folder
# holding a link to it): the rest of /usr/include is glibc's, and a source
# that needs a Linux-only header must fail here, not be rescued by it.
# Outside platform/ no program file may ask for _WIN32 at all: such a branch
# fails here too. The resource script is compiled with windres as well.
# Prints each file's outcome and exits non-zero when any file fails.
set -uo pipefail
cd "$(dirname "$0")/../.."

# The posix-thread compiler, as the Windows build uses: GoogleTest needs std::mutex.
compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null || { echo "FAIL: $compiler is not installed (g++-mingw-w64-x86-64)"; exit 1; }
[ -d /usr/include/FL ] || { echo "FAIL: FLTK's headers are not in /usr/include/FL (libfltk1.3-dev)"; exit 1; }
[ -d /usr/include/gtest ] || { echo "FAIL: GoogleTest's headers are not in /usr/include/gtest (libgtest-dev)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/fltk"
ln -s /usr/include/FL "$work/fltk/FL"

folders=(store platform service config msgbox)
mapfile -t sources < <(for folder in "${folders[@]}"; do ls "$folder"/*.cpp; done 2>/dev/null | grep -v '_posix\.cpp$' | sort)
if ! printf '%s\n' "${sources[@]}" | grep -q '^platform/.*_win32\.cpp$' || \
   ! printf '%s\n' "${sources[@]}" | grep -q '^config/main\.cpp$'; then
  echo "FAIL: the program sources were not found; the search itself is broken"
  exit 1
fi
includes=()
for folder in "${folders[@]}"; do includes+=(-I "$folder"); done
# The Windows test of the shipped programs links FLTK too, so only Windows
# runs it: here it is compiled with the program sources, against GoogleTest's
# headers taken the same way as FLTK's.
sources+=(tests/windows/test_windowsprograms.cpp)
ln -s /usr/include/gtest "$work/fltk/gtest"
includes+=(-I tests -I tests/windows -DRUVELLO_PROGRAMFOLDER='"."')

failed=0
branches=$(grep -nE '_WIN32' -r store config service msgbox --include='*.cpp' --include='*.h' 2>/dev/null)
if [ -n "$branches" ]; then
  echo "FAIL: Windows branches outside the platform layer:"
  sed 's/^/    /' <<<"$branches"
  failed=$((failed + 1))
fi
for source in "${sources[@]}"; do
  # FLTK's headers are system headers here, so their own warnings stay out.
  if "$compiler" -fsyntax-only -std=c++17 -Wall -Wextra -Werror -DWIN32 -D_WIN32 \
       -isystem "$work/fltk" "${includes[@]}" \
       "$source" >"$work/out" 2>&1; then
    echo "ok: $source"
  else
    echo "FAIL: $source"
    sed 's/^/    /' "$work/out"
    failed=$((failed + 1))
  fi
done

windres=x86_64-w64-mingw32-windres
for script in resources/*.rc; do
  [ -e "$script" ] || continue
  if "$windres" -I resources "$script" -O coff -o "$work/resource.o" >"$work/out" 2>&1; then
    echo "ok: $script"
  else
    echo "FAIL: $script"
    sed 's/^/    /' "$work/out"
    failed=$((failed + 1))
  fi
done

echo "mingw compile check: ${#sources[@]} program sources, $failed failed"
[ "$failed" -eq 0 ]
