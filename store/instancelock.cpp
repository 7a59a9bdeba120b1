#include "instancelock.h"

#include "datafiles.h"
#include "statefolder.h"
#include "userfolders.h"

#include <cstdio>

namespace {

// The name of the data lock: its lock file's in the runtime folder, its mutex's on Windows.
const char DATALOCKNAME[] = "ruvello-data";

// Room for a lock file's name.
const int LOCKNAMEBUFSIZE = 128;

// The path of a lock's file in path (PATHBUFSIZE bytes): runtimename in the
// runtime folder, or, without one, the file infolder gives for foldername;
// empty where a lock is a name alone (locks.h). false when it cannot be formed.
bool lockfilepath(char* path, const char* runtimename, int (*infolder)(char* path, const char* name),
                  const char* foldername) {
    path[0] = '\0';
    if (!lockneedsfile()) return true;
    const char* runtime = runtimefolder();
    if (runtime == NULL) return infolder(path, foldername) == 0;
    int written = snprintf(path, PATHBUFSIZE, "%s/%s", runtime, runtimename);
    return written >= 0 && written < PATHBUFSIZE;
}

}  // namespace

int takeinstancelock(const char* name) {
    char filename[LOCKNAMEBUFSIZE];
    int written = snprintf(filename, sizeof filename, "%s.lock", name);
    if (written < 0 || written >= (int)sizeof filename) return LOCKFAILED;
    // Without a runtime folder the lock lies in the data folder, beside the
    // files it protects; it is never one of the data files.
    char path[PATHBUFSIZE];
    if (!lockfilepath(path, filename, getfilename, filename)) return LOCKFAILED;
    return holdprocesslock(path, name);
}

int lockdatafiles(datalock* lock) {
    char path[PATHBUFSIZE];
    // A path that cannot be formed fails the lock below (not on Windows, where it is unused).
    if (!lockfilepath(path, "ruvello-data.lock", getstatefilename, "data.lock")) path[0] = '\0';
    return waitforlock(path, DATALOCKNAME, DATALOCKWAITMS, lock) == LOCKTAKEN ? 0 : 1;
}

void unlockdatafiles(datalock* lock) { releaselock(lock); }
