// ruvelloservice, the reminder service. It has no window and takes no
// arguments (any given are ignored). At start it makes sure that it is the
// only copy running for this user and that the four data files exist; then it
// runs one cycle a minute for ever: it reads the configuration and the three
// alarm lists afresh and starts ruvellomsgbox once for every alarm that is
// due, then sleeps in 5-second steps until the local minute changes. It never
// writes a data file. It ends only on a fatal error (status 1, with a message
// on standard error and in an error box when a display is there) or when it
// is stopped from outside; a second copy ends at once with status 0.
#include "calendar.h"
#include "instancelock.h"
#include "notification.h"
#include "scheduler.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
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
    preparelaunching();
    createdatafiles();
    // The state holds a 64 KiB reader: it lives outside the stack.
    static schedulerstate state;
    initschedulerstate(&state);
    for (;;) {
        int year, month, day;
        char stamp[STAMPBUFSIZE];
        getdateandstamp(&year, &month, &day, stamp);
        runcycle(&state, year, month, day, stamp, launchnotification);
        waitfornextminute(stamp);
    }
}
