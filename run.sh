#!/usr/bin/env bash
# Installs what is missing, builds Ruvello, starts the reminder service in the
# background (unless one already runs) and opens the configuration panel.
# It builds in build-run/, a folder of its own: the test command's build/ keeps
# the options the tests need, whichever of the two commands ran first.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh scripts/packages-run.txt
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRUVELLO_TESTS=OFF -DRUVELLO_BENCH=OFF -DRUVELLO_FUZZ=OFF >/dev/null
cmake --build build-run -j"$(nproc)"
# The service refuses a second copy by itself; starting it again is harmless.
nohup build-run/bin/ruvelloservice >>"${XDG_RUNTIME_DIR:-/tmp}/ruvelloservice.log" 2>&1 &
sleep 1
exec build-run/bin/ruvelloconfig "$@"
