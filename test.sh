#!/usr/bin/env bash
# Installs what is missing, builds Ruvello and runs every test: the CTest suite
# first, then each stage script in tests/stages/ in name order. Starts one Xvfb
# for the whole run when no display is set. Exits non-zero when anything fails.
#
# The build folder is the test command's own (run.sh builds in build-run/), and
# every option the suite relies on is named here: CMake keeps an option's cached
# value, so a folder once configured with the tests off would otherwise stay so.
# A stage that exits with 77 was skipped (its tools are missing on a machine
# outside our CI); with CI=true a skipped stage counts as failed.
set -uo pipefail
cd "$(dirname "$0")"
top=$(pwd)

bash scripts/install-deps.sh scripts/packages-run.txt scripts/packages-test.txt || exit 1

build=${RUVELLO_BUILD_DIR:-$top/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRUVELLO_TESTS=ON -DRUVELLO_BENCH=ON -DRUVELLO_FUZZ=OFF -DRUVELLO_WERROR=ON || exit 1
cmake --build "$build" -j"$(nproc)" || exit 1

# One server for the whole run; parallel xvfb-run calls race for numbers.
. scripts/xvfb.sh
trap stopxvfb EXIT
startxvfb || { echo "no display could be started"; exit 1; }
export RUVELLO_BUILD_DIR="$build"

skipstatus=77
passed=0
failed=0
skipped=0
failures=()
runstage() {
  local name=$1
  shift
  echo "=== $name"
  local started=$SECONDS
  "$@"
  local status=$?
  echo "=== $name ended with status $status after $((SECONDS - started)) s"
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
  elif [ "$status" -eq "$skipstatus" ] && [ "${CI:-}" != "true" ]; then
    echo "=== $name skipped"
    skipped=$((skipped + 1))
  else
    [ "$status" -eq "$skipstatus" ] && echo "=== $name was skipped, which fails under CI"
    failed=$((failed + 1))
    failures+=("$name")
  fi
}

runstage ctest bash scripts/runctest.sh "$build" --timeout 600
for stage in tests/stages/*.sh; do
  runstage "$(basename "$stage" .sh)" bash "$stage"
done

[ ${#failures[@]} -eq 0 ] || echo "failed stages: ${failures[*]}"
echo "stages: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
