#!/usr/bin/env bash
# Runs a build folder's CTest suite and fails unless it really ran: ctest fails
# when it finds no tests at all, and afterwards the number of tests it reports
# as run must equal the number of tests the suite has, counted by ctest itself
# with the same selection, and every GoogleTest binary in the build must have
# given at least one test (a binary whose listing went wrong would otherwise
# drop out of the suite without a word).
# Usage: scripts/runctest.sh BUILD_DIR [more ctest arguments, e.g. -LE faketime]
set -uo pipefail
build=$1
shift
report=$(mktemp)
trap 'rm -f "$report"' EXIT

# What the suite has, with the caller's selection.
total=$(ctest --test-dir "$build" -N "$@" | sed -n 's/^Total Tests: *\([0-9][0-9]*\)$/\1/p')
if [ -z "$total" ] || [ "$total" -eq 0 ]; then
  echo "FAIL: the suite in $build has no tests"
  exit 1
fi
commands=$(ctest --test-dir "$build" -N -V "$@")
missing=""
for binary in "$build"/bin/*_tests; do
  [ -x "$binary" ] || continue
  if ! grep -qF "$binary" <<<"$commands"; then
    missing="$missing $(basename "$binary")"
  fi
done
if [ -n "$missing" ]; then
  echo "FAIL: these test binaries gave the suite no test:$missing"
  exit 1
fi

# The fake clock's leftovers of earlier runs would fail faketime now and then.
bash "$(dirname "$0")/clearfaketime.sh"
ctest --test-dir "$build" --no-tests=error --output-on-failure -j2 --output-junit "$report" "$@"
status=$?

# What it ran: the report names every test that was started.
ran=$(grep -c '<testcase ' "$report" 2>/dev/null || true)
ran=${ran:-0}
echo "ctest: $ran of $total tests run"
if [ "$ran" -ne "$total" ]; then
  echo "FAIL: the suite has $total tests but $ran were run"
  exit 1
fi
exit $status
