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

xvfbpid=""
cleanup() { [ -n "$xvfbpid" ] && kill "$xvfbpid" 2>/dev/null; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  # One server for the whole run; parallel xvfb-run calls race for numbers.
  for number in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfbpid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$number" ] && break
      sleep 0.1
    done
    if kill -0 "$xvfbpid" 2>/dev/null; then
      export DISPLAY=":$number"
      break
    fi
    xvfbpid=""
  done
  [ -n "${DISPLAY:-}" ] || { echo "no display could be started"; exit 1; }
fi
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
