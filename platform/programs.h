// Starting programs and reading one's own command line, one side for each
// system.
//
// The service calls preparelaunching once before it starts any program, and
// launchnotification (notification.cpp) starts the message box with
// startprogram, from the service's own folder (ownfolder) first. Where
// ARGUMENTQUOTED is true the argument reaches the started program through a
// command line that the program splits again (Windows), so it must be one
// quoted argument (makequotedargument); elsewhere it is one argument as it
// stands. Every main that writes files calls ignorefilesizesignal first. The
// configurator and the message box read their arguments with utf8arguments;
// the configurator's command-line forms call useparentconsole before they
// write. programs_posix.cpp and programs_win32.cpp are the two sides.
#ifndef RUVELLO_PROGRAMS_H
#define RUVELLO_PROGRAMS_H

// Room for the argument: a 511-character line whose closing run of backslashes
// may be doubled, two enclosing quotes and a zero.
const int ARGUMENTBUFSIZE = 2 * 511 + 3;
// Room for the folder of the running executable and a program name after it:
// Linux's longest path, which also holds Windows' longest module path of
// 1024 UTF-16 units in UTF-8 (three bytes a unit at most), and 64 for the name.
const int PROGRAMPATHSIZE = 4096 + 64;

extern const char MSGBOXPROGRAM[];         // "ruvellomsgbox", on Windows "ruvellomsgbox.exe"
extern const char LAUNCHFAILUREMESSAGE[];  // ruvellomsgbox could not be started
extern const bool ARGUMENTQUOTED;          // true when startprogram's argument must be one quoted argument

void preparelaunching();  // started programs leave no zombies behind
// Starts folder/name, or else name searched on PATH, with one argument; true
// when it started. setting, when not NULL, is one "NAME=value" that the
// started program finds in its environment beside everything it inherits.
bool startprogram(const char* folder, const char* name, const char* argument, const char* setting = nullptr);
bool ownfolder(char* folder, int size);  // true: folder holds the running executable's folder, without its closing separator
void ignorefilesizesignal();  // a file-size limit makes a write fail instead of ending the process
// The program's arguments in UTF-8, as the user typed them: argc and argv as
// they are, on Windows from the wide command line. Gives their count and
// points arguments at them, followed by NULL, for the life of the process; 0
// when they cannot be had.
int utf8arguments(int argc, char** argv, char*** arguments);
void useparentconsole();  // a program without a console of its own writes its output to the one it was started from

#endif
