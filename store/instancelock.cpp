#include "instancelock.h"

#include "datafiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

int takeinstancelock(const char* name) {
#ifdef _WIN32
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
#else
    char lockpath[PATHBUFSIZE];
    int written;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime != NULL && runtime[0] != '\0') {
        written = snprintf(lockpath, sizeof lockpath, "%s/%s.lock", runtime, name);
    } else {
        // Without a runtime folder the lock lies in the data folder, beside the
        // files it protects; it is never one of the four data files.
        char folderfile[PATHBUFSIZE];
        if (getfilename(folderfile, "") != 0) return LOCKFAILED;
        written = snprintf(lockpath, sizeof lockpath, "%s%s.lock", folderfile, name);
    }
    if (written < 0 || written >= (int)sizeof lockpath) return LOCKFAILED;
    // Close-on-exec: a message box started later must not keep the lock alive.
    int fd = open(lockpath, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return LOCKFAILED;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return LOCKHELD;
    }
    // The descriptor stays open, and the lock held, until the process ends.
    return LOCKTAKEN;
#endif
}
