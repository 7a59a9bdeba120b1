// The locks on Windows: named mutexes of the user's session, which Windows
// gives back when the process ends.
#include "locks.h"

#include <cstdio>
#include <windows.h>

namespace {

// Room for a mutex's name: "Local\" and a lock's name.
const int MUTEXNAMEBUFSIZE = 256;

// The named mutex of the lock called name, made when missing; NULL when it cannot be had.
HANDLE openmutex(const char* name, bool* existed) {
    char mutexname[MUTEXNAMEBUFSIZE];
    int written = snprintf(mutexname, sizeof mutexname, "Local\\%s", name);
    if (written < 0 || written >= (int)sizeof mutexname) return NULL;
    HANDLE mutex = CreateMutexA(NULL, FALSE, mutexname);
    *existed = mutex != NULL && GetLastError() == ERROR_ALREADY_EXISTS;
    return mutex;
}

}  // namespace

bool lockneedsfile() { return false; }

int holdprocesslock(const char*, const char* name) {
    bool existed = false;
    // The handle is kept open for the life of the process on purpose.
    HANDLE mutex = openmutex(name, &existed);
    if (mutex == NULL) return LOCKFAILED;
    if (existed) {
        CloseHandle(mutex);
        return LOCKHELD;
    }
    return LOCKTAKEN;
}

int waitforlock(const char*, const char* name, int waitms, datalock* lock) {
    lock->held = 0;
    bool existed = false;
    HANDLE mutex = openmutex(name, &existed);
    if (mutex == NULL) return LOCKFAILED;
    DWORD waited = WaitForSingleObject(mutex, (DWORD)waitms);
    // An abandoned mutex belonged to a writer that died: the atomic writer
    // left the files whole, so the lock is ours all the same.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return waited == WAIT_TIMEOUT ? LOCKHELD : LOCKFAILED;
    }
    lock->held = (intptr_t)mutex;
    return LOCKTAKEN;
}

void releaselock(datalock* lock) {
    if (lock->held == 0) return;
    ReleaseMutex((HANDLE)lock->held);
    CloseHandle((HANDLE)lock->held);
    lock->held = 0;
}
