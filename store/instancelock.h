// One running copy per user of each program. takeinstancelock is called once
// at start-up with the program's own lock name; the lock is held until the
// process ends and is not inherited by programs it starts.
// Linux: flock on a file named after the lock in $XDG_RUNTIME_DIR (the data
// folder when that is unset). Windows: a named mutex.
#ifndef RUVELLO_INSTANCELOCK_H
#define RUVELLO_INSTANCELOCK_H

const int LOCKTAKEN = 0;       // this process now holds the lock
const int LOCKHELD = 1;        // another running copy holds it
const int LOCKFAILED = 2;      // the lock could not be set up at all

int takeinstancelock(const char* name);  // LOCKTAKEN, LOCKHELD or LOCKFAILED

#endif
