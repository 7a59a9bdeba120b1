// The locks on Windows: named mutexes of the user's session, which Windows
// gives back when the process ends.
#include "instancelock.h"

#include "datafiles.h"

#include <cstdio>
#include <windows.h>

int takeinstancelock(const char* name) {
    char mutexname[PATHBUFSIZE];
    int written = snprintf(mutexname, sizeof mutexname, "Local\\%s", name);
    if (written < 0 || written >= (int)sizeof mutexname) return LOCKFAILED;
    // The handle is kept open for the life of the process on purpose.
    HANDLE mutex = CreateMutexA(NULL, FALSE, mutexname);
    if (mutex == NULL) return LOCKFAILED;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return LOCKHELD;
    }
    return LOCKTAKEN;
}

int lockdatafiles(datalock* lock) {
    lock->held = 0;
    HANDLE mutex = CreateMutexA(NULL, FALSE, "Local\\ruvello-data");
    if (mutex == NULL) return 1;
    DWORD waited = WaitForSingleObject(mutex, DATALOCKWAITMS);
    // An abandoned mutex belonged to a writer that died: the atomic writer
    // left the files whole, so the lock is ours all the same.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return 1;
    }
    lock->held = (intptr_t)mutex;
    return 0;
}

void unlockdatafiles(datalock* lock) {
    if (lock->held == 0) return;
    ReleaseMutex((HANDLE)lock->held);
    CloseHandle((HANDLE)lock->held);
    lock->held = 0;
}
