#!/usr/bin/env bash
# Keeps the Windows branches honest: every source file with a `#ifdef _WIN32`
# (or `#if defined(_WIN32)`) branch must compile with Debian's mingw-w64 cross
# compiler, syntax only, against FLTK's headers with WIN32 defined. Only FLTK's
# own header folder is taken from /usr/include (through a folder holding a
# link to it): the rest of /usr/include is glibc's, and a Windows branch that
# needs a Linux-only header must fail here, not be rescued by it.
# The resource script, when there is one, is compiled with windres as well.
# Prints each file's outcome and exits non-zero when any file fails.
set -uo pipefail
cd "$(dirname "$0")/../.."

compiler=x86_64-w64-mingw32-g++
command -v "$compiler" >/dev/null || { echo "FAIL: $compiler is not installed (g++-mingw-w64-x86-64)"; exit 1; }
[ -d /usr/include/FL ] || { echo "FAIL: FLTK's headers are not in /usr/include/FL (libfltk1.3-dev)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/fltk"
ln -s /usr/include/FL "$work/fltk/FL"

mapfile -t sources < <(grep -lE '^[[:space:]]*#[[:space:]]*(ifdef[[:space:]]+_WIN32|ifndef[[:space:]]+_WIN32|if.*defined[[:space:]]*\(?[[:space:]]*_WIN32)' \
  --include='*.cpp' -r store desktop config service msgbox 2>/dev/null | sort)
if [ ${#sources[@]} -eq 0 ]; then
  echo "FAIL: no source file with a _WIN32 branch was found; the search itself is broken"
  exit 1
fi

failed=0
warned=0
for source in "${sources[@]}"; do
  # FLTK's headers are system headers here, so their own warnings stay out.
  if "$compiler" -fsyntax-only -std=c++17 -Wall -Wextra -DWIN32 -D_WIN32 \
       -isystem "$work/fltk" -I "$(dirname "$source")" -I store -I desktop -I platform \
       "$source" >"$work/out" 2>&1; then
    if [ -s "$work/out" ]; then
      echo "ok (with warnings): $source"
      sed 's/^/    /' "$work/out"
      warned=$((warned + 1))
    else
      echo "ok: $source"
    fi
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

echo "mingw syntax check: ${#sources[@]} source files, $failed failed, $warned with warnings"
[ "$failed" -eq 0 ]
