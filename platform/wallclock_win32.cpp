// The clock on Windows.
#include "wallclock.h"

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

void waitforminutestart(int hour, int minute) {
    // A sleep to the start of the next minute; a clock set meanwhile is
    // noticed at the latest then.
    SYSTEMTIME now;
    GetLocalTime(&now);
    DWORD left = (DWORD)(60 - now.wSecond) * 1000 - now.wMilliseconds;
    // When this clock shows the next minute already and the caller's does
    // not yet (the two round differently), the wait is a short one.
    if (now.wHour != hour || now.wMinute != minute) left = CLOCKSETTLEMILLISECONDS;
    Sleep(left > 0 && left <= 60000 ? left : 1000);
}
