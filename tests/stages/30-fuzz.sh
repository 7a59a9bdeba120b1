#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang 14 (AddressSanitizer and
# UndefinedBehaviorSanitizer on every object) in a build folder of their own
# (RUVELLO_FUZZ_BUILD_DIR, default "<main build>-fuzz") and runs each target
# for RUVELLO_FUZZ_SECONDS seconds (default 5) from a copy of its seed corpus
# in tests/fuzz-corpus/<target>/. RUVELLO_FUZZ_TARGETS picks targets by name
# (default: all). Prints the executions run per target; a crash, a leak, an
# undefined behaviour or a failed property stops the target, keeps the input
# in <fuzz build>/artifacts/ and fails the stage.
#
# The long runs in docs/robustness.md call this script with RUVELLO_FUZZ_SECONDS=600.
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)
main=${RUVELLO_BUILD_DIR:-$top/build}
build=${RUVELLO_FUZZ_BUILD_DIR:-${main%/}-fuzz}
seconds=${RUVELLO_FUZZ_SECONDS:-5}

command -v clang++-14 >/dev/null || { echo "FAIL: clang++-14 is not installed (clang-14, libclang-rt-14-dev)"; exit 1; }
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1 -g"
cmake -S . -B "$build" -DRUVELLO_FUZZ=ON -DRUVELLO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" --target ruvellofuzzers -j2

if [ -n "${RUVELLO_FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$RUVELLO_FUZZ_TARGETS"
else
  mapfile -t targets < <(cd "$build/fuzz" && ls fuzz_* | sort)
fi
[ ${#targets[@]} -gt 0 ] || { echo "FAIL: no fuzz target was built"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"
# The display (the suite's Xvfb) is kept for fuzz_newalarm, whose list widgets
# need it; every target that could reach a dialog either answers it itself or
# drops DISPLAY before it starts, so nothing waits.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$top/tests/robustness/ubsan.supp"
export LSAN_OPTIONS="suppressions=$top/tests/robustness/lsan.supp:print_suppressions=0"

failed=0
for target in "${targets[@]}"; do
  corpus="$work/corpus-$target"
  mkdir -p "$corpus"
  if [ -d "tests/fuzz-corpus/$target" ]; then
    cp tests/fuzz-corpus/"$target"/* "$corpus"/
  else
    echo "FAIL: $target has no seed corpus in tests/fuzz-corpus/$target"
    failed=1
  fi
  if [ "$target" = fuzz_newalarm ] && [ -z "${DISPLAY:-}" ]; then
    echo "skipped: $target needs a display (DISPLAY), which test.sh provides"
    continue
  fi
  log="$work/$target.log"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$target-" "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    units=$(ls "$corpus" | wc -l)
    echo "ok: $target: ${runs:-?} executions in $seconds s, corpus of $units inputs"
  else
    echo "FAIL: $target (input kept in $build/artifacts/)"
    tail -40 "$log"
    failed=1
  fi
done
exit $failed
