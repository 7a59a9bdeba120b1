// How the reminder service shows things to the user. Every due alarm is one
// run of the message-box program ruvellomsgbox, started with the alarm line as
// its only argument; the service never waits for it. Every fatal error writes
// its message to standard error, shows it in an error box titled "Ruvello"
// when a display is there, and ends the service with status 1.
//
// The scheduler calls launchnotification for each due line; when that fails,
// or memory for the day's memory runs out, it calls fatalerrorandexit with the
// list file it is reading. A data file that cannot be created, opened or read
// ends the service through reportfileerrorandexit with the file's path.
// preparelaunching is called once by the service's main before any launch.
#ifndef RUVELLO_NOTIFICATION_H
#define RUVELLO_NOTIFICATION_H

// Starting programs (preparelaunching, startprogram, ARGUMENTBUFSIZE,
// LAUNCHFAILUREMESSAGE) is the platform layer's, in programs.h; so is the
// error box, showerrorbox, in errorbox.h.
#include "errorbox.h"
#include "programs.h"

#include <cstdio>

// Room for any fatal message, the file-error message with the longest path
// included; the error box shows as much.
const int MESSAGEBUFSIZE = ERRORTEXTBUFSIZE;

extern const char OUTOFMEMORYMESSAGE[];     // a copy for the day's memory could not be made

// true when ruvellomsgbox was started for line, with due (the minute announced) in its environment
bool launchnotification(const char* line, const char* due);
int makenotificationargument(const char* line, char* argument, int size);       // 0: argument holds line, '"' turned to '*'; 1: too long
// 0: argument holds line as one quoted command-line argument that the C runtime's
// rules (and CommandLineToArgvW) read back as line with '"' turned to '*'; 1: too long.
int makequotedargument(const char* line, char* argument, int size);
int makefileerrormessage(const char* path, char* message, int size);            // 0: message names path; 1: too long
[[noreturn]] void fatalerrorandexit(const char* message, FILE* file);            // closes file (may be NULL), reports, exits 1
[[noreturn]] void reportfileerrorandexit(const char* path);                      // the file-error message for path, exits 1

#endif
