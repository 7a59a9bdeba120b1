// The panel's command-line forms, which need no window, and the texts they
// share with the panel's Export and Import buttons.
//
// main first hands its arguments to runprogramarguments, which reads them in
// UTF-8 and gives them to runcommandline: for "--export
// FILE", "--import FILE", "--import FILE --merge", "--upcoming [DAYS]",
// "--list", "--add LINE", "--remove LINE" and "--help" it does the work
// without a window, with its messages on standard error (the help, the agenda
// and the lists on standard output), and gives the exit status; for anything
// else it gives NOTACOMMAND and the panel opens as before. Nothing here uses
// the toolkit, so a program built from this code alone runs the command line
// where the toolkit's library is missing (the Windows tests under Wine).
// The agenda and the list commands are listcommands.h's.
#ifndef RUVELLO_COMMANDLINE_H
#define RUVELLO_COMMANDLINE_H

#include "datafiles.h"
#include "exchange.h"

const int NOTACOMMAND = -1;

// Room for a message that names two paths.
const int IMPORTMESSAGEBUFSIZE = 3 * PATHBUFSIZE;
// Room for one count sentence.
const int COUNTSBUFSIZE = 160;

int runcommandline(int argc, char** argv);  // an exit status, or NOTACOMMAND
// runcommandline for main's own arguments: read in UTF-8 (programs.h), and
// for a command-line form with its messages on the console the program was
// started from.
int runprogramarguments(int argc, char** argv);

// "3 simple, 1 monthly, 2 annual and 4 weekly alarms" for counts by kind, in text (size bytes).
void describecounts(char* text, int size, const int* counts);
// The pattern with its three texts in text (IMPORTMESSAGEBUFSIZE bytes); cut short, it ends in "...".
void composemessage(char* text, const char* pattern, const char* first, const char* second, const char* third);
int countsof(const alarmdata* data, int* counts);  // each list's count by kind into counts; 0
// The message after an import of path that was done, in text (IMPORTMESSAGEBUFSIZE bytes).
void describeimport(char* text, const char* path, bool merge, const importoutcome* outcome);
// The message of an import that changed nothing (IMPORTNOBACKUP, IMPORTNOTLOCKED).
void describerefusal(char* text, int result, const importoutcome* outcome);
// The panel's fatal file error for path, on standard error alone.
void printfilefatalerror(const char* path);

#endif
