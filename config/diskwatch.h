// What the panel last read or wrote of each data file, so that it notices a
// file changed on disk by anything else: a hand edit, an import from the
// command line, a file-sync tool.
//
// After every read of a data file the panel notes the open file with
// notereadfile, after every write the path with notewrittenfile. filechanged
// then tells whether the file on disk is still that one: the same file
// (device and inode), the same size and the same modification time to the
// nanosecond (on Windows the file index, size and write time to 100 ns). A
// file the panel never noted, and a file that is gone, count as unchanged. The panel's one view of the
// disk is panel_disk; the saves and the two-second check of the lists and the
// settings use it.
#ifndef RUVELLO_DISKWATCH_H
#define RUVELLO_DISKWATCH_H

#include "datafiles.h"

#include <cstdio>

// How often the open panel looks for changes, in seconds.
const double WATCHINTERVAL = 2.0;

struct filestamp {
    bool known;     // the panel has noted this file
    bool present;   // it existed when noted
    unsigned long long device;
    unsigned long long inode;
    unsigned long long size;
    long long seconds;
    long nanoseconds;
};

struct diskview {
    filestamp files[DATAFILES];  // by the data file's number (datafiles.h)
};

extern diskview panel_disk;

void notereadfile(diskview* view, int which, FILE* file);         // which: a data file's number; file: as opened for this read
void notemissingfile(diskview* view, int which);                  // the read found no file at all
void notewrittenfile(diskview* view, int which, const char* path);  // path: the file just written
bool filechanged(const diskview* view, int which, const char* path);  // true when the file on disk is another now

#endif
