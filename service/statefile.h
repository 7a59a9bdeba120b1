// The service's memory across its runs: the state file STATEFILENAME in the
// per-user state folder (statefolder.h), never in the data folder.
//
// main forms the path with getstatefilename, calls loadstatefile once on a
// fresh schedulerstate before the first cycle, and savestatefile whenever
// runcycle asks for it. The file is plain text, one item a line:
//   ruvello service state 2            what the file is, and its version
//   scanned YYYY-MM-DD HH:MM           the greatest minute scanned, local time
//   utc YYYY-MM-DD HH:MM               the same minute in UTC
//   notified LINE                      a monthly or annual line seen that day (any number)
//   kept COUNT LINE                    a simple line and its copies announced (any number)
//   weekly COUNT YYYY-MM-DD HH:MM LINE a weekly line, the minute it was announced for, and its copies (any number)
//   end
// Anything else, a missing end included, makes the whole file unreadable. A
// file of version 1, written before weekly alarms, is read alike; it holds no
// weekly item.
#ifndef RUVELLO_STATEFILE_H
#define RUVELLO_STATEFILE_H

#include "scheduler.h"

extern const char STATEFILENAME[];    // "service.state"
extern const char STATEFILEHEADER[];  // the first line

// What loadstatefile found.
enum stateload { STATELOADED, STATEMISSING, STATEUNREADABLE };

// STATELOADED: state (fresh from initschedulerstate) holds the saved minute,
// day's memory and kept lines. Otherwise state is left fresh.
stateload loadstatefile(schedulerstate* state, const char* path);
// 0: the file at path now holds state; 1: it could not be written (the old file stays as it was).
int savestatefile(const schedulerstate* state, const char* path);

#endif
