// The command-line forms that look at the alarms or change one of them,
// without a window, for scripts and terminals: what is coming up, the lists
// as they stand, and one alarm added or removed.
//
// runcommandline (commandline.h) hands these over:
//   ruvelloconfig --upcoming [DAYS]   commandupcoming: what the service announces from now on, day by day
//   ruvelloconfig --list              commandlist: every alarm, under the export's section headings
//   ruvelloconfig --add "LINE"        commandadd: LINE appended to the list its layout names
//   ruvelloconfig --remove "LINE"     commandremove: the first line equal to LINE removed from that list
// Each gives the exit status: 0 done, 1 refused or failed, with the reason on
// standard error; only --upcoming and --list write to standard output. A
// change goes through the data files' lock and the store's writer, as a
// panel's save does, so an open panel shows it within two seconds.
#ifndef RUVELLO_LISTCOMMANDS_H
#define RUVELLO_LISTCOMMANDS_H

// The days --upcoming shows after today without DAYS, and the most it takes.
const int DEFAULTUPCOMINGDAYS = 7;
const int MOSTUPCOMINGDAYS = 366;

int commandupcoming(const char* days);  // days: the argument as given, NULL without one
int commandlist();
int commandadd(const char* line);
int commandremove(const char* line);

#endif
