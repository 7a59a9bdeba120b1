#!/usr/bin/env bash
# Ruvello for Windows, built and run under Wine:
#  1. scripts/build-windows.sh cross-builds FLTK, the three programs, the test
#     programs and the installer into a folder of its own beside the Linux
#     build (RUVELLO_WIN_BUILD_DIR, default "<main build>-win"); FLTK is built
#     there once and reused by later runs;
#  2. each script of tests/windows/ (common.sh aside) runs in name order, with
#     a fresh Wine prefix of its own, at most RUVELLO_WIN_SCRIPT_SECONDS
#     seconds (default 600); its output is shown and its result printed.
# Fails when the build or any script fails. When there is no FLTK source (no
# archive beside the repository, RUVELLO_FLTK_SOURCE unset, offline) or a tool
# is missing, it prints one line saying why and exits 77: skipped, which the
# test command counts apart from passed (and as a failure in CI).
# The syntax-only check of the Windows branches (60-mingw.sh) stays: it needs
# no FLTK source, so it still runs where this stage is skipped.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
top=$(pwd)
main=${RUVELLO_BUILD_DIR:-$top/build}
build=${RUVELLO_WIN_BUILD_DIR:-${main%/}-win}
limit=${RUVELLO_WIN_SCRIPT_SECONDS:-600}

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres makensis /usr/lib/wine/wine64 xdotool Xvfb; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/packages-test.txt lists the packages)"
    exit 77
  fi
done

started=$SECONDS
status=0
errors=$(mktemp)
RUVELLO_WINDOWS_TESTS=ON bash scripts/build-windows.sh "$build" 2>"$errors" || status=$?
if [ "$status" -eq 3 ]; then
  # The build's last line says why there is no source.
  echo "skipped: $(tail -n 1 "$errors" | sed 's/^build-windows: //')"
  rm -f "$errors"
  exit 77
fi
cat "$errors" >&2
rm -f "$errors"
if [ "$status" -ne 0 ]; then
  echo "FAIL: the Windows build failed"
  exit 1
fi
echo "Windows build: $((SECONDS - started)) s"
for program in ruvelloconfig ruvelloservice ruvellomsgbox; do
  echo "  $program.exe: $(stat -c %s "$build/bin/$program.exe") bytes"
done

. scripts/xvfb.sh
trap stopxvfb EXIT
startxvfb || { echo "FAIL: no display could be started"; exit 1; }

export RUVELLO_WIN_BUILD=$build
passed=0
failed=()
for script in tests/windows/*.sh; do
  name=$(basename "$script" .sh)
  [ "$name" = common ] && continue
  echo "--- $name"
  begun=$SECONDS
  timeout -k 10 "$limit" bash "$script" 2>&1 | sed 's/^/    /'
  scriptstatus=${PIPESTATUS[0]}
  if [ "$scriptstatus" -eq 0 ]; then
    echo "ok: $name ($((SECONDS - begun)) s)"
    passed=$((passed + 1))
  else
    [ "$scriptstatus" -eq 124 ] && echo "    (ended after $limit s)"
    echo "FAIL: $name (status $scriptstatus, $((SECONDS - begun)) s)"
    failed+=("$name")
  fi
done
echo "windows: $passed scripts passed, ${#failed[@]} failed${failed:+ (${failed[*]})}; $((SECONDS - started)) s in all"
[ ${#failed[@]} -eq 0 ] && [ "$passed" -gt 0 ]
