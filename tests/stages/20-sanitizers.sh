#!/usr/bin/env bash
# The test suite again, built with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer in a build folder of its own beside the main one
# (RUVELLO_ASAN_BUILD_DIR, default "<main build>-asan"), and run there.
#
# Sanitized programs and faketime do not mix (libfaketime is preloaded in
# front of the sanitizer's runtime, and was seen to deadlock it), so the tests
# labelled "faketime" are left out here; they run unsanitized in the main
# suite. Every other test runs sanitized, and the first finding of any of the
# three sanitizers fails it. Suppressions, each with its reason, are in
# tests/robustness/lsan.supp and tests/robustness/ubsan.supp.
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)
main=${RUVELLO_BUILD_DIR:-$top/build}
build=${RUVELLO_ASAN_BUILD_DIR:-${main%/}-asan}

# Unoptimised: it compiles in less than half the time, which matters more
# here than how fast the tests run. gcc's "may be used uninitialized" analysis
# misfires on the sanitizers' instrumentation (in libstdc++'s own headers too);
# the main build keeps it.
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O0 -g -Wno-maybe-uninitialized"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DRUVELLO_TESTS=ON -DRUVELLO_BENCH=OFF -DRUVELLO_FUZZ=OFF -DRUVELLO_WERROR=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j2
# A build that silently lost its flags would pass without checking anything.
symbols=$(nm "$build/bin/store_tests")
if ! grep -q __asan_init <<<"$symbols" || ! grep -q __ubsan_handle <<<"$symbols"; then
  echo "FAIL: the tests in $build are not built with the sanitizers"
  exit 1
fi

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$top/tests/robustness/ubsan.supp"
export LSAN_OPTIONS="suppressions=$top/tests/robustness/lsan.supp:print_suppressions=0"
bash scripts/runctest.sh "$build" --timeout 900 -LE faketime
