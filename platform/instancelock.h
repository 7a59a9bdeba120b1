// One running copy per user of each program, and one writer of the data files
// at a time.
//
// takeinstancelock is called once at start-up with the program's own lock
// name; the lock is held until the process ends and is not inherited by
// programs it starts. Linux: flock on a file named after the lock in
// $XDG_RUNTIME_DIR (the data folder when that is unset). Windows: a named mutex.
//
// lockdatafiles is taken by every writer of the data files (a panel's save,
// an import, an export's read) across its look at the disk and its
// replacement, and given back with unlockdatafiles as soon as that is done:
// a panel's save and an import from the command line never interleave. It is
// a lock file beside the instance locks (the state folder when
// $XDG_RUNTIME_DIR is unset), never in the data folder, which file-sync tools
// may copy; on Windows a named mutex.
// instancelock_posix.cpp and instancelock_win32.cpp are the two sides.
#ifndef RUVELLO_INSTANCELOCK_H
#define RUVELLO_INSTANCELOCK_H

#include <cstdint>

const int LOCKTAKEN = 0;       // this process now holds the lock
const int LOCKHELD = 1;        // another running copy holds it
const int LOCKFAILED = 2;      // the lock could not be set up at all

int takeinstancelock(const char* name);  // LOCKTAKEN, LOCKHELD or LOCKFAILED

// How long a writer waits for another one before it gives up.
const int DATALOCKWAITMS = 10000;

// A data lock as the side that took it keeps it: the lock file's descriptor,
// or the mutex's handle on Windows.
struct datalock {
    intptr_t held;
};

int lockdatafiles(datalock* lock);     // 0: held; 1: not set up, or still held elsewhere after DATALOCKWAITMS
void unlockdatafiles(datalock* lock);  // gives a held lock back; nothing for one that was not taken

#endif
