// The clock on Windows.
#include "wallclock.h"

#include "calendar.h"

#include <cstdio>
#include <cstring>
#include <windows.h>

namespace {

// The short wait while two readings of the clock disagree on the minute.
const DWORD CLOCKSETTLEMILLISECONDS = 20;

}  // namespace

long long localnow(struct tm* broken) {
    time_t now = time(NULL);
    localtime_s(broken, &now);
    return (long long)now;
}

bool brokendownutc(time_t moment, struct tm* broken) { return gmtime_s(broken, &moment) == 0; }

void waitfornextminute(const char* stamp) {
    // The reference is the cycle's own minute: when a scan ran into the next
    // minute, the next cycle starts at once and catches up on it.
    char fresh[STAMPBUFSIZE];
    for (;;) {
        gettimestamp(fresh);
        if (strcmp(fresh, stamp) != 0) return;
        // A sleep to the start of the next minute; a clock set meanwhile is
        // noticed at the latest then.
        SYSTEMTIME now;
        GetLocalTime(&now);
        DWORD left = (DWORD)(60 - now.wSecond) * 1000 - now.wMilliseconds;
        // When this clock shows the next minute already and the stamp's does
        // not yet (the two round differently), the wait is a short one.
        char shown[STAMPBUFSIZE];
        snprintf(shown, sizeof shown, "%02d:%02d", now.wHour % 100, now.wMinute % 100);
        if (strncmp(shown, stamp + 11, 5) != 0) left = CLOCKSETTLEMILLISECONDS;
        Sleep(left > 0 && left <= 60000 ? left : 1000);
    }
}
