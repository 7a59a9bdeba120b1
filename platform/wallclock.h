// The clock, one side for each system.
//
// localnow reads the present moment in local time (calendar.cpp forms every
// date and stamp from it); brokendownutc gives a moment in UTC (the state
// file's stamp). The service calls waitfornextminute after each cycle with
// that cycle's stamp. wallclock_posix.cpp and wallclock_win32.cpp are the two sides.
#ifndef RUVELLO_WALLCLOCK_H
#define RUVELLO_WALLCLOCK_H

#include <ctime>

long long localnow(struct tm* broken);                 // the local time of the present moment into broken; gives that moment
bool brokendownutc(time_t moment, struct tm* broken);   // true: broken holds moment in UTC
void waitfornextminute(const char* stamp);             // returns once the local minute differs from stamp

#endif
