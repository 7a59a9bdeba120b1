#!/usr/bin/env bash
# The store's and the service's unit tests that need no POSIX calls, with the
# Windows-only tests of the store, cross-built with GoogleTest and run under
# Wine: UTF-8 paths with non-ASCII letters and blanks, CR LF files, the
# replacement of a file being read, the quoted argument read back by the
# system's own CommandLineToArgvW.
. "$(dirname "$0")/common.sh"
makeprefix
program=$build/tests/windows/windows_tests.exe
[ -f "$program" ] || { fail "$program was not built"; finish; exit; }
status=0
runexe 300 "$program" --gtest_brief=1 >"$work/out" 2>&1 || status=$?
# The tests' own notices and messages are shown only when something failed.
if [ "$status" -eq 0 ]; then
  tr -d '\r' <"$work/out" | grep -E '^\[(==========|  PASSED|  SKIPPED)'
else
  tr -d '\r' <"$work/out" | grep -v '^$'
fi
[ "$status" -eq 0 ] && ok "the Windows unit tests passed" || fail "the Windows unit tests: status $status"
finish
