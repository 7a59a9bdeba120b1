// The file calls of the store, one side for each system: how a data file is
// opened, created, replaced and told apart from another.
//
// The readers open a data file with openregularfile. The writer of the data
// files (fileformats.cpp) finds the file a path finally names with
// followlinks, opens a temporary file beside it with opentemporary, writes it
// with writeall and ends it with closewritten; then replacewithtemporary puts
// it over the target, or placetemporary at a name that must still be free,
// and removefile takes it away after a failure. createexclusive makes an empty
// data file at start-up, makefileprivate and makefolderprivate keep files and
// folders for their owner, makefolder makes one folder. samefile tells whether
// two paths name one file, openfilestamp what marks an open file's content.
// processisrunning and forentriesnamed let a writer find the temporary files
// of writers that were killed.
// Every line the system writes ends with LINEEND. fileaccess_posix.cpp and
// fileaccess_win32.cpp are the two sides; all paths are UTF-8.
#ifndef RUVELLO_FILEACCESS_H
#define RUVELLO_FILEACCESS_H

#include <climits>
#include <cstddef>
#include <cstdio>

// Room for a data file's full path, which the store's paths keep to
// (datafiles.h); every caller supplies at least this much.
const int PATHBUFSIZE = 512;
// What placetemporary gives when something stands at the target already.
const int PLACETAKEN = 2;

extern const char LINEEND[];        // "\n"; "\r\n" on Windows
extern const char FOLDERSEPARATOR;  // '/'; '\' on Windows
// The suffix of the temporary file the writer puts beside its target, after
// the number of the writing process: "<target>.<number>.tmp".
const char TEMPSUFFIX[] = ".tmp";
// Room for the process number and its dot in a temporary file's name.
const int PROCESSNUMBERROOM = 24;
// Room for any path the writer works on: the system's own limit, but never
// less than a data path and the temporary file's suffixes. Windows' PATH_MAX would
// refuse a path whose letters take more UTF-8 bytes than its limit counts characters.
const int TEMPORARYROOM = PATHBUFSIZE + PROCESSNUMBERROOM + (int)sizeof TEMPSUFFIX;
const int TARGETBUFSIZE = PATH_MAX > TEMPORARYROOM ? PATH_MAX : TEMPORARYROOM;

FILE* openregularfile(const char* path);   // open for reading; NULL when it cannot be opened or is no regular file
unsigned long processnumber();             // this process's number, which no other running process has
int createexclusive(const char* path);     // 0 created empty; EEXIST when something stands there; another errno value on other failures
void makefileprivate(const char* path);    // only its owner may read and write it (nothing on Windows)
int makefolderprivate(const char* folder);  // 0: only its owner may enter it now (always 0 on Windows); 1 failed
bool makefolder(const char* folder);       // true when a folder stands there afterwards; a new one is its owner's only on Linux
char* lastseparator(char* path);           // the last folder separator of path ('/', on Windows '\' too); NULL when none

// 0: target (targetsize bytes, holding a path) now names the file that its
// symbolic links finally lead to; 1 when that path does not fit or cannot be read.
int followlinks(char* target, int targetsize);
int opentemporary(const char* temporary);  // the descriptor of the file, emptied, only for its owner; -1 failed
bool writeall(int fd, const char* bytes, size_t length);  // true when every byte was written
int closewritten(int fd, bool sync);        // syncs (when sync) and closes; 0 when every step succeeded
int replacewithtemporary(const char* temporary, const char* target);  // 0: temporary now stands at target
int placetemporary(const char* temporary, const char* target);  // as above, only at a free name: 0, PLACETAKEN or 1
void removefile(const char* path);          // takes the file away; nothing when it cannot

// true when a process of that number runs, or may run (when it cannot be told):
// a temporary file of such a writer is never taken away.
bool processisrunning(unsigned long number);
// Calls each with the name of every entry of folder whose name begins with
// prefix. 0, or 1 when the folder cannot be read.
typedef void (*entryvisitor)(const char* name, void* context);
int forentriesnamed(const char* folder, const char* prefix, entryvisitor each, void* context);

bool samefile(const char* path, const char* other);  // true when both paths name one file
// true: the open file's device, file number, size and last write time are
// filled in (on Windows the volume, file index and write time to 100 ns).
bool openfilestamp(FILE* file, unsigned long long* device, unsigned long long* inode, unsigned long long* size,
                   long long* seconds, long* nanoseconds);

#endif
