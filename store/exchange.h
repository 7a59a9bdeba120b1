// Export and import: all of a user's data (the two advance values and the
// four alarm lists) in one text file that a person can read and edit, for
// backups and for carrying the alarms to another computer.
//
// The file begins with the line "Ruvello export 2" (the format and its
// version). Then come five sections, each opened by its name in brackets:
// "[settings]" holds the configuration file's lines, read exactly as the
// panel reads "config.dat" (the first data line is the annual advance, the
// second the monthly advance); "[simple alarms]", "[monthly alarms]",
// "[annual alarms]" and "[weekly alarms]" hold one alarm per line, byte for
// byte as in the data files. A file of format 1, "Ruvello export 1", has no
// weekly section and imports with an empty weekly list. Empty lines and lines beginning with '#' are comments. Lines may end
// in LF or CR LF, so a file written on Windows reads on Linux and back.
//
// Typical use:
//   exportdata(path, &counts, failed)            the data on disk into a new export file
//   readexportfile(path, &data, problem, size)   an export file read and checked whole
//   importdata(&data, merge, &outcome)           the data files replaced by it, or its alarms added
//   freealarmdata(&data)
// exportdata and importdata take the data files' lock (instancelock.h) while
// they read or replace them, so an import never interleaves with a panel's
// save; readcurrentdata takes none (its caller holds the lock or reads a
// copy that may be a moment old), nor does readexportfile, which reads no
// data file. Each kind's section heading is its row's in alarmkinds.h.
#ifndef RUVELLO_EXCHANGE_H
#define RUVELLO_EXCHANGE_H

#include "datafiles.h"
#include "textlines.h"

#include <cstddef>
#include <cstdio>

// The first line of an export file.
extern const char EXPORTFIRSTLINE[];

// Everything the data files hold that the system uses.
struct alarmdata {
    int annualadvance;
    int monthlyadvance;
    int sound;  // the reminder's sound (configfile.h)
    textlines lists[ALARMKINDS];  // by kind of alarm (datafiles.h)
};

void initalarmdata(alarmdata* data);             // empty lists, the default advance values and sound
void freealarmdata(alarmdata* data);

// 0: data holds the settings and lists on disk now, read as the panel reads
// them (a file that is not there holds nothing); 1: a file could not be read,
// failed (PATHBUFSIZE bytes) then holds its path. Takes no lock.
int readcurrentdata(alarmdata* data, char* failed);

// Room for an export or import problem: a path of PATHBUFSIZE and the reason.
const int PROBLEMBUFSIZE = 1024;

// 0: path holds an export of the data on disk now; counts (ALARMKINDS of them)
// receive how many alarms of each kind it holds. 1: a data file could not be
// read (failed then holds its path) or the export could not be written
// (failed then holds path; also when path is one of the data files); the data
// files are never changed by an export.
int exportdata(const char* path, int* counts, char* failed);

// 0: data holds the file's settings and alarms (the caller frees it).
// 1: the file is no good export; problem holds its path, the line and what is
// wrong there. 2: the file cannot be read; problem says so.
int readexportfile(const char* path, alarmdata* data, char* problem, int problemsize);

// What an import did, or where it failed.
const int IMPORTDONE = 0;         // the data files now hold the import
const int IMPORTNOBACKUP = 1;     // the copy of the current data could not be made: nothing changed
const int IMPORTNOTLOCKED = 2;    // another writer held the data files too long: nothing changed
const int IMPORTFILEFAILED = 3;   // a data file could not be read or replaced; those replaced were put back

struct importoutcome {
    char backup[PATHBUFSIZE];  // the copy of the data as it was before (IMPORTDONE), or where it was to go
    char failed[PATHBUFSIZE];  // the data file that failed (IMPORTFILEFAILED)
    int added[ALARMKINDS];  // alarms the data files gained or, replacing, now hold
};

// Replaces the settings and the four lists with data's (merge false), or adds
// data's alarms that a list does not hold yet to its end, settings kept
// (merge true). First the current data is exported to the state folder as
// "before-import-<date>-<hh-mm-ss>.txt", never over an existing file. The five
// files are replaced all or nothing: when one replacement fails, the files
// already replaced get their old bytes back. Gives one of the values above.
int importdata(const alarmdata* data, bool merge, importoutcome* outcome);

#endif
