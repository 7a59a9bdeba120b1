// The locks on Linux: flock on lock files, which the system gives back when
// the process ends.
#include "locks.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

namespace {

// A waiting writer looks again after this pause.
const int LOCKPOLLMS = 10;
// What a datalock holds when it holds nothing.
const int NOLOCK = -1;

// The lock file at path, open for flock; -1 when it cannot be opened.
int openlockfile(const char* path) {
    if (path == NULL || path[0] == '\0') return -1;
    // Close-on-exec: a message box started later must not keep the lock alive.
    return open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

}  // namespace

bool lockneedsfile() { return true; }

int holdprocesslock(const char* path, const char*) {
    int fd = openlockfile(path);
    if (fd < 0) return LOCKFAILED;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return LOCKHELD;
    }
    // The descriptor stays open, and the lock held, until the process ends.
    return LOCKTAKEN;
}

int waitforlock(const char* path, const char*, int waitms, datalock* lock) {
    lock->held = NOLOCK;
    int fd = openlockfile(path);
    if (fd < 0) return LOCKFAILED;
    // Waits in short steps rather than blocking for ever: a writer stuck while
    // holding the lock must not freeze the others.
    for (int waited = 0; flock(fd, LOCK_EX | LOCK_NB) != 0; waited += LOCKPOLLMS) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitms) {
            bool held = errno == EWOULDBLOCK;
            close(fd);
            return held ? LOCKHELD : LOCKFAILED;
        }
        struct timespec pause = {0, LOCKPOLLMS * 1000000L};
        nanosleep(&pause, NULL);
    }
    lock->held = fd;
    return LOCKTAKEN;
}

void releaselock(datalock* lock) {
    if (lock->held == NOLOCK) return;
    // Closing the descriptor gives the flock back.
    close((int)lock->held);
    lock->held = NOLOCK;
}
