// Locks between processes, one side for each system: the primitives under
// the store's locks (instancelock.h), which choose where the lock files lie.
//
// holdprocesslock takes a lock that the process keeps until it ends and that
// the programs it starts do not inherit; waitforlock takes one that the
// process gives back with releaselock, waiting up to waitms for a holder to
// give it up. On Linux a lock is flock on the lock file at path (made when
// missing); on Windows the named mutex "Local\<name>" of the user's session,
// and path is not used. locks_posix.cpp and locks_win32.cpp are the two sides.
#ifndef RUVELLO_LOCKS_H
#define RUVELLO_LOCKS_H

#include <cstdint>

const int LOCKTAKEN = 0;       // this process now holds the lock
const int LOCKHELD = 1;        // another running process holds it
const int LOCKFAILED = 2;      // the lock could not be set up at all

// A lock that waitforlock took, as the side that took it keeps it: the lock
// file's descriptor, or the mutex's handle on Windows.
struct datalock {
    intptr_t held;
};

bool lockneedsfile();  // true when a lock is a file (Linux), so that its path must be given
int holdprocesslock(const char* path, const char* name);  // LOCKTAKEN, LOCKHELD or LOCKFAILED
// LOCKTAKEN: held; LOCKHELD: still held elsewhere after waitms; LOCKFAILED: not set up.
int waitforlock(const char* path, const char* name, int waitms, datalock* lock);
void releaselock(datalock* lock);  // gives a held lock back; nothing for one that was not taken

#endif
