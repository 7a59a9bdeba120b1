// The reminder service's minute cycle: which alarms are due and when.
//
// main calls createdatafiles and initschedulerstate once, then runcycle with
// the scheduler's state, today's date and the current minute stamp, then
// waitfornextminute with that same stamp, for ever. Everything the scheduler
// carries from one cycle to the next lives in the schedulerstate it is given,
// so a test can run several services side by side and look into each. runcycle reads the configuration and the three alarm
// lists afresh, announces simple alarms in their minute (late, once, when the
// service passed over their minute) and monthly and annual alarms once a day
// while their date lies in the advance window, through the launcher it is
// given. Every fatal error ends the process from inside these functions.
#ifndef RUVELLO_SCHEDULER_H
#define RUVELLO_SCHEDULER_H

#include "calendar.h"
#include "configfile.h"
#include "linereader.h"

#include <cstddef>
#include <cstdio>

// The two advance values, read anew from the configuration file each cycle
// and kept within the service's limits (configfile.h).
struct servicesettings {
    int annual_advance;    // days after today that the annual window reaches
    int monthly_advance;   // days after today that the monthly window reaches
};

// Starts the notification for one alarm line; true when it was started.
typedef bool (*notificationlauncher)(const char* line);

// The configuration message, written to standard error without a line end.
extern const char CONFIGMESSAGE[];
// What the scheduler carries from one cycle to the next. initschedulerstate
// makes it fresh; clearschedulerstate releases what it holds and makes it
// fresh again (a restart of the service).
struct schedulerstate {
    // The day's memory: the monthly and annual lines announced on the current
    // day, as a hash set of heap copies of whole lines keyed by their full
    // text. It grows as needed, so many alarms never fill it.
    char** notifiedlines;
    size_t notifiedcapacity;
    int notifiedcount;
    // The current day: the date of the greatest minute scanned so far; -1 before the first cycle.
    int year;
    int month;
    int day;
    // The greatest minute stamp scanned so far; simple alarms after it and at
    // or before the cycle's stamp are due. Empty before the first cycle.
    char greatestscanned[STAMPBUFSIZE];
    // The three lists are read through this one block reader, one after the other.
    datalinereader listreader;
};

void createdatafiles();                                        // returns only when all four data files exist
void readconfigfile(servicesettings* settings, FILE* file);    // fills settings from the first two data lines of file
bool isnotified(const schedulerstate* state, const char* line);  // true when line was announced on the current day
void initschedulerstate(schedulerstate* state);                // no day, no minute, no announcement; holds no memory
void clearschedulerstate(schedulerstate* state);               // releases the day's memory, then as initschedulerstate
// One cycle at stamp on that date.
void runcycle(schedulerstate* state, int year, int month, int day, const char* stamp, notificationlauncher launcher);
void waitfornextminute(const char* stamp);                     // returns once the local minute differs from stamp

#endif
