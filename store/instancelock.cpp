#include "instancelock.h"

#include "datafiles.h"
#include "statefolder.h"
#include "userfolders.h"

#include <cstdio>

bool runtimefilepath(char* path, const char* runtimename, int (*infolder)(char* path, const char* name),
                     const char* foldername) {
    const char* runtime = runtimefolder();
    if (runtime == NULL) return infolder(path, foldername) == 0;
    int written = snprintf(path, PATHBUFSIZE, "%s/%s", runtime, runtimename);
    return written >= 0 && written < PATHBUFSIZE;
}

namespace {

// The names of the data lock and of the sound log's lock: their lock files'
// in the runtime folder, their mutexes' on Windows.
const char DATALOCKNAME[] = "ruvello-data";
const char SOUNDLOCKNAME[] = "ruvello-sound";

// Room for a lock file's name.
const int LOCKNAMEBUFSIZE = 128;

// The path of a lock's file in path (PATHBUFSIZE bytes), as runtimefilepath
// forms it; empty where a lock is a name alone (locks.h). false when it
// cannot be formed.
bool lockfilepath(char* path, const char* runtimename, int (*infolder)(char* path, const char* name),
                  const char* foldername) {
    path[0] = '\0';
    if (!lockneedsfile()) return true;
    return runtimefilepath(path, runtimename, infolder, foldername);
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

int locksoundlog(datalock* lock) {
    char path[PATHBUFSIZE];
    if (!lockfilepath(path, "ruvello-sound.lock", getstatefilename, "sound.lock")) path[0] = '\0';
    return waitforlock(path, SOUNDLOCKNAME, SOUNDLOCKWAITMS, lock) == LOCKTAKEN ? 0 : 1;
}
