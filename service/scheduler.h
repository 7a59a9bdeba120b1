// The reminder service's minute cycle: which alarms are due and when.
//
// main calls createdatafiles and initschedulerstate once, then runcycle with
// today's date and the current minute stamp, then waitfornextminute with that
// same stamp, for ever. runcycle reads the configuration and the three alarm
// lists afresh, announces simple alarms in their minute (late, once, when the
// service passed over their minute) and monthly and annual alarms once a day
// while their date lies in the advance window, through the launcher it is
// given. Every fatal error ends the process from inside these functions.
#ifndef RUVELLO_SCHEDULER_H
#define RUVELLO_SCHEDULER_H

#include "configfile.h"

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
// Monthly and annual lines announced on the current day, and their number.
extern int notifiedcount;
// The day of the month of the current day, -1 before the first cycle.
extern int lastday;

void createdatafiles();                                        // returns only when all four data files exist
void readconfigfile(servicesettings* settings, FILE* file);    // fills settings from the first two data lines of file
bool isnotified(const char* line);                             // true when line was announced on the current day
void initschedulerstate();                                     // no day, no minute and no announcement seen yet
void runcycle(int year, int month, int day, const char* stamp, notificationlauncher launcher);  // one cycle at stamp on that date
void waitfornextminute(const char* stamp);                     // returns once the local minute differs from stamp

#endif
