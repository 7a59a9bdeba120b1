#!/usr/bin/env bash
# The full robustness runs, for a person to start by hand (the test command
# runs shorter versions of each): 1,000 SIGKILLs of a configurator that is
# saving, 10,000 rewrites raced by the service's reading code, and every fuzz
# target for 10 minutes. Uses the build folder RUVELLO_BUILD_DIR (default
# build/, as ./test.sh leaves it) and starts an Xvfb of its own when no
# display is set. Prints each figure; exits non-zero when anything fails.
# The counts can be changed: RUVELLO_KILLS, RUVELLO_REWRITES, RUVELLO_FUZZ_SECONDS.
set -uo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)
build=${RUVELLO_BUILD_DIR:-$top/build}
export RUVELLO_BUILD_DIR="$build"
export RUVELLO_BIN_DIR="$build/bin"
export RUVELLO_KILLS=${RUVELLO_KILLS:-1000}
export RUVELLO_REWRITES=${RUVELLO_REWRITES:-10000}
export RUVELLO_FUZZ_SECONDS=${RUVELLO_FUZZ_SECONDS:-600}
[ -x "$build/bin/robustness_tests" ] || { echo "FAIL: build the project first (./test.sh)"; exit 1; }

. scripts/xvfb.sh
trap stopxvfb EXIT
startxvfb || { echo "FAIL: no display could be started"; exit 1; }

failed=0
echo "=== $RUVELLO_KILLS kills while saving, $RUVELLO_REWRITES raced rewrites"
log=$(mktemp)
"$build/bin/robustness_tests" --gtest_filter='CrashSafety.*:Concurrency.*' >"$log" 2>&1 || failed=1
grep -E 'survived|raced|OK \]|FAILED|Failure' "$log"
rm -f "$log"
echo "=== every fuzz target for $RUVELLO_FUZZ_SECONDS s"
nice bash tests/stages/30-fuzz.sh | grep -E '^(ok|FAIL|skipped)' || failed=1
exit $failed
