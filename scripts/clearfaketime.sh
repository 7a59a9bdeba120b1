#!/usr/bin/env bash
# Removes what libfaketime left behind for processes that no longer run.
#
# libfaketime (0.9.10) keeps a semaphore and a shared-memory object named
# after the process number of each process that loads it
# (/dev/shm/sem.faketime_sem_<number>, /dev/shm/faketime_shm_<number>), and
# removes them only when that process ends normally. The tests stop the
# service, which has no handler for stop signals, with a signal, so each stop
# leaves a pair behind; once the process number comes round again, the next
# faketime started with it fails ("sem_open: File exists"). The test command
# and the tests that start faketime call this first. Never touches the pair
# of a running process.
for object in /dev/shm/sem.faketime_sem_* /dev/shm/faketime_shm_*; do
  [ -e "$object" ] || continue
  number=${object##*_}
  case $number in ''|*[!0-9]*) continue ;; esac
  kill -0 "$number" 2>/dev/null && continue
  [ -d "/proc/$number" ] && continue
  rm -f "$object"
done
exit 0
