// The clock, one side for each system.
//
// localnow reads the present moment in local time (calendar.cpp forms every
// date and stamp from it); brokendownutc gives a moment in UTC (the state
// file's stamp). waitforminutestart is the sleep of the service's wait for the
// next minute (waitfornextminute, calendar.h), which looks at the clock again
// after each. wallclock_posix.cpp and wallclock_win32.cpp are the two sides.
#ifndef RUVELLO_WALLCLOCK_H
#define RUVELLO_WALLCLOCK_H

#include <ctime>

long long localnow(struct tm* broken);                 // the local time of the present moment into broken; gives that moment
bool brokendownutc(time_t moment, struct tm* broken);   // true: broken holds moment in UTC
// Sleeps until about the start of the next minute, or less: on Linux until the
// clock is set (a step, or the jump of a resume), on Windows only briefly when
// its clock shows a minute other than hour:minute already (two readings of the
// clock may round differently at a minute's edge).
void waitforminutestart(int hour, int minute);

#endif
