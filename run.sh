#!/usr/bin/env bash
# Installs what is missing, builds Ruvello, starts the reminder service in the
# background (unless one already runs) and opens the configuration panel.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh scripts/packages-run.txt
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUVELLO_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
if [ ! -x build/bin/ruvelloservice ] || [ ! -x build/bin/ruvelloconfig ]; then
  echo "Built what exists so far; this command will start build/bin/ruvelloservice and open build/bin/ruvelloconfig."
  exit 0
fi
# The service refuses a second copy by itself; starting it again is harmless.
nohup build/bin/ruvelloservice >>"${XDG_RUNTIME_DIR:-/tmp}/ruvelloservice.log" 2>&1 &
sleep 1
exec build/bin/ruvelloconfig "$@"
