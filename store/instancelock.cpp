#include "instancelock.h"

#include "datafiles.h"
#include "statefolder.h"
#include "userfolders.h"

#include <cstdio>

namespace {

// The name of the data lock: its lock file's in the runtime folder, its mutex's on Windows.
const char DATALOCKNAME[] = "ruvello-data";

// "<folder>/<name>.lock" in path (PATHBUFSIZE bytes); false when it does not fit.
bool lockfileinfolder(char* path, const char* folder, const char* separator, const char* name) {
    int written = snprintf(path, PATHBUFSIZE, "%s%s%s.lock", folder, separator, name);
    return written >= 0 && written < PATHBUFSIZE;
}

}  // namespace

int takeinstancelock(const char* name) {
    char path[PATHBUFSIZE] = "";
    const char* runtime = runtimefolder();
    if (!lockneedsfile()) {
        // The lock is a name alone.
    } else if (runtime != NULL) {
        if (!lockfileinfolder(path, runtime, "/", name)) return LOCKFAILED;
    } else {
        // Without a runtime folder the lock lies in the data folder, beside the
        // files it protects; it is never one of the data files.
        char folder[PATHBUFSIZE];
        if (getfilename(folder, "") != 0 || !lockfileinfolder(path, folder, "", name)) return LOCKFAILED;
    }
    return holdprocesslock(path, name);
}

int lockdatafiles(datalock* lock) {
    char path[PATHBUFSIZE] = "";
    const char* runtime = runtimefolder();
    if (!lockneedsfile()) {
        // The lock is a name alone.
    } else if (runtime != NULL) {
        if (!lockfileinfolder(path, runtime, "/", DATALOCKNAME)) path[0] = '\0';
    } else if (getstatefilename(path, "data.lock") != 0) {
        path[0] = '\0';
    }
    return waitforlock(path, DATALOCKNAME, DATALOCKWAITMS, lock) == LOCKTAKEN ? 0 : 1;
}

void unlockdatafiles(datalock* lock) { releaselock(lock); }
