// The locks on Linux: flock on lock files, which the system gives back when
// the process ends.
#include "instancelock.h"

#include "datafiles.h"
#include "statefolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

namespace {

// A waiting writer looks again after this pause.
const int DATALOCKPOLLMS = 10;
// What a datalock holds when it holds nothing.
const int NOLOCK = -1;

}  // namespace

int takeinstancelock(const char* name) {
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
}

int lockdatafiles(datalock* lock) {
    lock->held = NOLOCK;
    char lockpath[PATHBUFSIZE];
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime != NULL && runtime[0] != '\0') {
        int written = snprintf(lockpath, sizeof lockpath, "%s/ruvello-data.lock", runtime);
        if (written < 0 || written >= (int)sizeof lockpath) return 1;
    } else if (getstatefilename(lockpath, "data.lock") != 0) {
        return 1;
    }
    int fd = open(lockpath, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return 1;
    // Waits in short steps rather than blocking for ever: a writer stuck while
    // holding the lock must not freeze the others.
    for (int waited = 0; flock(fd, LOCK_EX | LOCK_NB) != 0; waited += DATALOCKPOLLMS) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= DATALOCKWAITMS) {
            close(fd);
            return 1;
        }
        struct timespec pause = {0, DATALOCKPOLLMS * 1000000L};
        nanosleep(&pause, NULL);
    }
    lock->held = fd;
    return 0;
}

void unlockdatafiles(datalock* lock) {
    if (lock->held == NOLOCK) return;
    // Closing the descriptor gives the flock back.
    close((int)lock->held);
    lock->held = NOLOCK;
}
