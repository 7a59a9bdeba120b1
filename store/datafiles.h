// The per-user data folder, the table of the data files, their creation at
// start-up and the data-line reader that every reader of the system uses.
//
// Typical use: form a path with getdatafilename or one of the five
// get...filename functions (check its result), call createifabsent on it at start-up, open the file
// for reading with openforreading, call readonedataline until it gives false, then ask
// datareadfailed whether that false was the end of the file or a read error,
// and close the file.
#ifndef RUVELLO_DATAFILES_H
#define RUVELLO_DATAFILES_H

#include "fileaccess.h"

#include <cctype>
#include <cstdio>
#include <cstring>

// PATHBUFSIZE, the room for a data file's full path, is the platform layer's
// (fileaccess.h), whose file calls take these paths.
// Room for one data line read by readonedataline: 511 characters and a zero.
const int LINEBUFSIZE = 512;
// The most bytes one read of a data file takes: a longer line is read in pieces.
const int DATAPIECEMAX = LINEBUFSIZE - 1;
// Room for the data folder as the toolkit reports it; larger than any path we
// accept, so that a folder the toolkit cut short can be recognised.
const int FOLDERBUFSIZE = 1024;

// The kinds of alarm, each kept in a list file of its own; alarmkinds.h has
// a row for each.
const int KINDSINGLE = 0;
const int KINDMONTHLY = 1;
const int KINDANNUAL = 2;
const int KINDWEEKLY = 3;
const int ALARMKINDS = 4;
// The kind of the configuration file, which holds no alarms.
const int KINDSETTINGS = -1;

// One data file: its name in the data folder and the description that the
// first line of its header gives. Which kind of alarm a list holds is the
// kind's row's to say (alarmkinds.h).
struct datafile {
    const char* name;
    const char* description;
};

// The data files, in the order in which the service creates them and the
// export walks them: the configuration first, then the lists. A file's
// number is its row in DATAFILETABLE.
const int DATACONFIG = 0;
const int DATASINGLE = 1;
const int DATAMONTHLY = 2;
const int DATAANNUAL = 3;
const int DATAWEEKLY = 4;
const int DATAFILES = 5;
extern const datafile DATAFILETABLE[DATAFILES];

// 0: path holds the full path of the file called name in the data folder.
// 1: the folder is unusable (cut short, not below HOME, or too long); path then
//    holds as much of the would-be path as fits, for the caller's error message.
int getfilename(char* path, const char* name);
bool folderbelowhome(const char* folder, const char* home);  // true when folder lies inside home (a home of "/" holds every absolute folder)
int getdatafilename(char* path, int number);  // as getfilename, for the data file of that number
int getconfigfilename(char* path);        // as getfilename, for "config.dat"
int getsinglealertfilename(char* path);   // as getfilename, for "single_alerts.dat"
int getmonthlyalertfilename(char* path);  // as getfilename, for "monthly_alerts.dat"
int getannualalertfilename(char* path);   // as getfilename, for "annual_alerts.dat"
int getweeklyalertfilename(char* path);   // as getfilename, for "weekly_alerts.dat"
void pathmanipulator(char* path);         // native separators: '\' on Windows, unchanged elsewhere
int createifabsent(char* path);           // 0: the file exists or was created empty; 1: it cannot be created or read
// The fatal error for a data file that cannot be used: "FATAL ERROR", the
// program's own line about the file, and the path in quotes, on three lines.
// The panel says what it could not do with a file in PANELFILEERROR, the
// service in SERVICEFILEERROR. 0: text holds it whole; 1: it was cut to size.
extern const char PANELFILEERROR[];
extern const char SERVICEFILEERROR[];
int composefileerror(const char* what, const char* path, char* text, int size);
bool readonedataline(FILE* file, char* line);  // true: line holds the next data line; false: end of file or read error

// What a data line is, for every reader of the data files. A piece is what
// one read takes from a file: the bytes up to and with the next line feed, at
// most DATAPIECEMAX of them. A piece whose first byte is a digit is a data
// line, its text ending at its first zero byte, carriage return or line feed;
// every other piece (a comment, an empty line, the rest of a long line that
// does not begin with a digit) is none. True with the text in line
// (LINEBUFSIZE bytes, which may be the piece itself). Inline: the service's
// block reader applies it to every line of every list in every cycle.
inline bool takedataline(const char* piece, int length, char* line) {
    if (length <= 0 || !isdigit((unsigned char)piece[0])) return false;
    int used = 0;
    while (used < length && piece[used] != '\0' && piece[used] != '\r' && piece[used] != '\n') used++;
    memmove(line, piece, (size_t)used);
    line[used] = '\0';
    return true;
}
bool datareadfailed(FILE* file);          // true when the reading of file stopped on a read error, not at its end
FILE* openforreading(const char* path);   // the data file open for reading; NULL when it cannot be opened or is no regular file

#endif
