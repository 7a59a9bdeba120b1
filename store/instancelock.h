// One running copy per user of each program, and one writer of the data files
// at a time.
//
// takeinstancelock is called once at start-up with the program's own lock
// name; the lock is held until the process ends and is not inherited by
// programs it starts. Linux: a lock file named after the lock in
// $XDG_RUNTIME_DIR (the data folder when that is unset). Windows: a named mutex.
//
// lockdatafiles is taken by every writer of the data files (a panel's save,
// an import, an export's read) across its look at the disk and its
// replacement, and given back with unlockdatafiles as soon as that is done:
// a panel's save and an import from the command line never interleave. Its
// lock file lies in $XDG_RUNTIME_DIR too, and where that is unset in the state
// folder, not in the data folder with the instance locks: file-sync tools may
// copy the data folder, and the data lock is taken and given back all day,
// while an instance lock is made once and held. On Windows a named mutex.
// locksoundlog guards the reminder windows' sound log (soundturns.h) in the
// same way, with a lock of its own.
// This file chooses where the locks lie; the locking itself is the platform
// layer's (locks.h).
#ifndef RUVELLO_INSTANCELOCK_H
#define RUVELLO_INSTANCELOCK_H

#include "locks.h"

int takeinstancelock(const char* name);  // LOCKTAKEN, LOCKHELD or LOCKFAILED

// How long a writer waits for another one before it gives up.
const int DATALOCKWAITMS = 10000;

// The path (PATHBUFSIZE bytes) of a small file the programs keep while they
// run: runtimename in $XDG_RUNTIME_DIR, or where that is unset the file
// infolder gives for foldername (getfilename, getstatefilename). false when it
// cannot be formed.
bool runtimefilepath(char* path, const char* runtimename, int (*infolder)(char* path, const char* name),
                     const char* foldername);

int lockdatafiles(datalock* lock);     // 0: held; 1: not set up, or still held elsewhere after DATALOCKWAITMS
void unlockdatafiles(datalock* lock);  // gives a held lock back; nothing for one that was not taken

// How long a reminder window waits for another one's look at the sound log.
const int SOUNDLOCKWAITMS = 2000;
int locksoundlog(datalock* lock);      // 0: held; 1 otherwise; given back with releaselock (locks.h)

#endif
