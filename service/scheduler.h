// The reminder service's minute cycle: which alarms are due and when.
//
// main reads its options (options.h), calls createdatafiles and
// initschedulerstate once, sets the state's catch-up limit and loads the
// state saved by the previous run (statefile.h); then, for ever, it runs
// runcycle with the state and one reading of the clock, saves the state when
// runcycle asks for it, and calls waitfornextminute with the cycle's stamp.
// Everything the scheduler carries from one cycle to the next lives in the
// schedulerstate it is given, so a test can run several services side by
// side and look into each.
//
// runcycle reads the configuration and every alarm list afresh. It
// announces simple and weekly alarms in their minute, and every minute passed
// over since the greatest minute scanned (a slow scan, a suspend, a stop of
// the service) late, once, in the order of their minutes, within the catch-up
// limit (a weekly line once, for its latest minute passed); it
// announces monthly and annual alarms once a day while their date lies in the
// advance window, and after such a gap those whose date fell in it and that
// were not seen on the last day scanned. Every fatal error ends the process
// from inside these functions.
#ifndef RUVELLO_SCHEDULER_H
#define RUVELLO_SCHEDULER_H

#include "calendar.h"
#include "configfile.h"
#include "linereader.h"
#include "lineset.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Starts the notification for one alarm line; true when it was started. due
// is the minute announced, "YYYY-MM-DD HH:MM": a simple alarm's own minute, a
// weekly alarm's minute (the latest one passed for a line caught up), a
// monthly or annual alarm's date (the one in the window, or the one that
// passed for an alarm caught up) with 00:00.
typedef bool (*notificationlauncher)(const char* line, const char* due);

// The configuration message, written to standard error without a line end.
extern const char CONFIGMESSAGE[];

// The catch-up limit in days: its default and its largest value; 0 turns catching up off.
const int DEFAULTCATCHUPDAYS = 7;
const int MOSTCATCHUPDAYS = 31;
// A step back of the clock up to this many minutes (the end of daylight
// saving) announces nothing again; a longer one is a correction.
const long SMALLSTEPBACKMINUTES = 3 * 60;
// With catching up off, a running service still takes a forward step of up
// to this many minutes (a slow scan) as time that passed.
const long SLOWSCANMINUTES = 5;

// A simple or weekly alarm line announced for a minute within
// SMALLSTEPBACKMINUTES up to the greatest minute scanned, and how many of its
// copies were announced. A weekly line comes back every week, so its text
// here is the minute announced, a space and the line.
struct keptline {
    char* line;
    bool weekly;
    int count;
    int used;   // copies met again in the current cycle
};

// What the scheduler carries from one cycle to the next. initschedulerstate
// makes it fresh; clearschedulerstate releases what it holds and makes it
// fresh again (a restart of the service).
struct schedulerstate {
    // The day's memory: the monthly and annual lines announced on the current day.
    lineset notified;
    // The current day: the date of the greatest minute scanned; -1 before the first cycle.
    int year;
    int month;
    int day;
    // The greatest minute stamp scanned so far, and the same moment as minutes
    // since 1970 in UTC. Empty before the first cycle.
    char greatestscanned[STAMPBUFSIZE];
    long long greatestutcminute;
    // The minute of the previous cycle; below greatestscanned after the clock stepped back.
    char lastscanned[STAMPBUFSIZE];
    // The simple and weekly lines kept so that a minute the clock shows again announces nothing twice.
    keptline* kept;
    int keptcount;
    size_t keptcapacity;
    // Days of 24 hours that a forward step may span and still be caught up.
    int catchupdays;
    // False until the first cycle of this run: catching up turned off then
    // scans only the current minute.
    bool running;
    // The configuration message is written once for each faulty content.
    bool configfault;
    uint64_t configfingerprint;
    // The lists are read through this one block reader, one after the other.
    datalinereader listreader;
};

void createdatafiles();                                        // returns only when all five data files exist
// Fills values as the service reads the configuration (readserviceconfig)
// from the data lines of file, and writes the configuration message when it is due.
void readconfigfile(advancevalues* values, FILE* file);
bool isnotified(const schedulerstate* state, const char* line);  // true when line was announced on the current day
void initschedulerstate(schedulerstate* state);                // no day, no minute, no announcement; holds no memory
void clearschedulerstate(schedulerstate* state);               // releases what state holds, then as initschedulerstate
// 0: line is kept with count copies announced; 1: memory for it could not be had.
int keepsimpleline(schedulerstate* state, const char* line, int count);
// As keepsimpleline, for the weekly line announced for the minute due ("YYYY-MM-DD HH:MM").
int keepweeklyline(schedulerstate* state, const char* due, const char* line, int count);
// One cycle at stamp on that date, utcseconds being the same moment in UTC
// (seconds since 1970). True when the state should be saved now: something
// was announced, or the day changed.
bool runcycle(schedulerstate* state, int year, int month, int day, const char* stamp, long long utcseconds,
              notificationlauncher launcher);

#endif
