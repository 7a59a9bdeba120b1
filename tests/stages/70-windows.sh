#!/usr/bin/env bash
# Ruvello for Windows, built here and run under Wine:
#  1. scripts/build-windows.sh cross-builds what needs no FLTK library for
#     Windows (the service, the test programs, the recording message box)
#     into a folder of its own beside the Linux build (RUVELLO_WIN_BUILD_DIR,
#     default "<main build>-win"); Debian has no FLTK for mingw-w64, and the
#     project never builds FLTK itself;
#  2. the installer script is compiled by makensis, with the service and
#     stand-ins for the panel and the message box, so that it cannot rot;
#  3. each script of tests/windows/ (common.sh aside) runs in name order, with
#     a fresh Wine prefix of its own, at most RUVELLO_WIN_SCRIPT_SECONDS
#     seconds (default 600); its output is shown and its result printed.
#     A script that drives the panel, the message box or the installer
#     (its NEEDS line names the programs) runs only where the build folder
#     holds them, built with FLTK on Windows (docs/windows.md); here it is
#     listed as not run, and the Windows workflow tests those programs.
# Fails when the build or any script fails. A tool that is missing makes it
# print one line saying which and exit 77: skipped, which the test command
# counts apart from passed (and as a failure in CI).
# The compile-only check of every program source for Windows (60-mingw.sh)
# covers the panel and the message box.
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
if ! RUVELLO_WINDOWS_TESTS=ON bash scripts/build-windows.sh "$build"; then
  echo "FAIL: the Windows build failed"
  exit 1
fi
echo "Windows build: $((SECONDS - started)) s"
echo "  ruvelloservice.exe: $(stat -c %s "$build/bin/ruvelloservice.exe") bytes"

# The installer script, compiled with stand-ins for the two programs that
# need FLTK; the result is not kept, since it could not run.
stage=$(mktemp -d)
cp "$build/bin/ruvelloservice.exe" "$stage/"
for program in ruvelloconfig ruvellomsgbox; do
  [ -f "$build/bin/$program.exe" ] && cp "$build/bin/$program.exe" "$stage/" || echo "stand-in" >"$stage/$program.exe"
done
if makensis -V2 -NOCD -DBINDIR="$stage" -DRESOURCES="$top/resources" -DOUTFILE="$stage/setup.exe" \
     packaging/windows/ruvello.nsi >"$stage/installer.log" 2>&1 && [ -f "$stage/setup.exe" ]; then
  echo "ok: the installer script compiles"
else
  cat "$stage/installer.log"
  rm -rf "$stage"
  echo "FAIL: makensis could not compile packaging/windows/ruvello.nsi"
  exit 1
fi
rm -rf "$stage"

. scripts/xvfb.sh
trap stopxvfb EXIT
startxvfb || { echo "FAIL: no display could be started"; exit 1; }

export RUVELLO_WIN_BUILD=$build
passed=0
notrun=0
failed=()
for script in tests/windows/*.sh; do
  name=$(basename "$script" .sh)
  [ "$name" = common ] && continue
  # "# NEEDS: a.exe b.exe" in a script names the programs of the full build it drives.
  missing=""
  for program in $(sed -n 's/^# NEEDS: //p' "$script"); do
    [ -f "$build/$program" ] || missing="$missing $program"
  done
  if [ -n "$missing" ]; then
    echo "--- $name: not run here, it needs$missing (built with FLTK on Windows)"
    notrun=$((notrun + 1))
    continue
  fi
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
echo "windows: $passed scripts passed, ${#failed[@]} failed${failed:+ (${failed[*]})}, $notrun not run here; $((SECONDS - started)) s in all"
[ ${#failed[@]} -eq 0 ] && [ "$passed" -gt 0 ]
