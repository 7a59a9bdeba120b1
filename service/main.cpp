// ruvelloservice, the reminder service. It has no window and takes one
// option, --catch-up DAYS (0 to 31, default 7): how many days of alarms that
// fell while it was stopped, or the computer asleep, it announces late; 0
// turns catching up off. At start it makes sure that it is the only copy
// running for this user and that the data files exist (the configuration and
// a list for each kind of alarm, datafiles.h), and reads the state its
// previous run saved; then it runs one cycle at the start of every minute for
// ever: it reads the configuration and every alarm list afresh and starts ruvellomsgbox once for every alarm that is due, saves its
// state when it announced something or the day changed, and waits for the
// next minute. It never writes a data file. It ends only on a fatal error
// (status 1, with a message on standard error and in an error box when a
// display is there), on a wrong option (status 2) or when it is stopped from
// outside; a second copy ends at once with status 0. It has no handler for
// stop signals: whatever it announced is saved already.
#include "calendar.h"
#include "datafiles.h"
#include "instancelock.h"
#include "notification.h"
#include "options.h"
#include "programs.h"
#include "scheduler.h"
#include "statefile.h"
#include "statefolder.h"
#include "wallclock.h"

#include <cstdio>

int main(int argc, char** argv) {
    int catchupdays;
    if (readserviceoptions(argc, argv, &catchupdays) != 0) {
        fputs("Usage: ruvelloservice [--catch-up DAYS]\n"
              "DAYS, 0 to 31 (default 7): how many days of alarms missed while the service was not running\n"
              "are announced late; 0 turns catching up off.\n",
              stderr);
        return 2;
    }
    int lock = takeinstancelock("ruvelloservice");
    if (lock == LOCKHELD) {
        // Nothing is wrong: one copy already does the work, and a supervisor
        // that restarts the service on failure must not loop on this.
        fputs("Ruvello service is already running.\n", stderr);
        return 0;
    }
    if (lock == LOCKFAILED) {
        // Missing reminders would be worse than a second copy: run all the same.
        fputs("Ruvello service cannot take its instance lock; running without it.\n", stderr);
    }
    // A file-size limit makes the state file's write fail instead of ending the service.
    ignorefilesizesignal();
    preparelaunching();
    createdatafiles();
    // The state holds a 64 KiB reader: it lives outside the stack.
    static schedulerstate state;
    initschedulerstate(&state);
    state.catchupdays = catchupdays;

    // The state file is a help, never a condition: without it the service
    // runs as a fresh start would, and says so once.
    char statepath[PATHBUFSIZE];
    bool stateusable = getstatefilename(statepath, STATEFILENAME) == 0;
    bool warned = false;
    if (!stateusable) {
        fprintf(stderr, "Ruvello service cannot use its state folder \"%s\"; alarms missed while it is stopped will not be announced.\n",
                statepath);
        warned = true;
    } else if (loadstatefile(&state, statepath) == STATEUNREADABLE) {
        fprintf(stderr, "Ruvello service ignores its unreadable state file \"%s\".\n", statepath);
    }
    fflush(stderr);
    for (;;) {
        int year, month, day;
        char stamp[STAMPBUFSIZE];
        long long now = getdateandstamp(&year, &month, &day, stamp);
        bool save = runcycle(&state, year, month, day, stamp, now, launchnotification);
        if (save && stateusable && savestatefile(&state, statepath) != 0 && !warned) {
            // A read-only or full disk: the service goes on, and says so once.
            fprintf(stderr, "Ruvello service cannot write its state file \"%s\"; going on without it.\n", statepath);
            fflush(stderr);
            warned = true;
        }
        waitfornextminute(stamp);
    }
}
