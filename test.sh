#!/usr/bin/env bash
# Installs what is missing, builds Ruvello and runs every test: the CTest suite
# first, then each stage script in tests/stages/ in name order. Starts one Xvfb
# for the whole run when no display is set. Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")"
top=$(pwd)

bash scripts/install-deps.sh scripts/packages-run.txt scripts/packages-test.txt || exit 1

build=${RUVELLO_BUILD_DIR:-$top/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
cmake --build "$build" -j"$(nproc)" || exit 1

# One server for the whole run; parallel xvfb-run calls race for numbers.
. scripts/xvfb.sh
trap stopxvfb EXIT
startxvfb || { echo "no display could be started"; exit 1; }
export RUVELLO_BUILD_DIR="$build"

passed=0
failed=0
failures=()
runstage() {
  local name=$1
  shift
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("$name")
  fi
}

runstage ctest ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
for stage in tests/stages/*.sh; do
  [ -e "$stage" ] || continue
  runstage "$(basename "$stage" .sh)" bash "$stage"
done

[ ${#failures[@]} -eq 0 ] || echo "failed stages: ${failures[*]}"
echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
