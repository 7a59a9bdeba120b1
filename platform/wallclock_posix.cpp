// The clock on Linux.
#include "wallclock.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// Waits on a timer of the real-time clock until the start of the next
// minute. It wakes once a minute, on the second, and at once when the clock
// is set (TFD_TIMER_CANCEL_ON_SET): a step forward or back, or the jump of a
// resume after a suspend, starts the next cycle without delay. 0 once woken
// for either reason; 1 when no such timer can be had.
int waitontimer(int timer) {
    struct timespec now;
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return 1;
    // Local minutes start with the minutes of UTC in every zone of our time.
    struct itimerspec until;
    memset(&until, 0, sizeof until);
    until.it_value.tv_sec = now.tv_sec - now.tv_sec % 60 + 60;
    if (timerfd_settime(timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &until, NULL) != 0) return 1;
    uint64_t expirations;
    ssize_t got = read(timer, &expirations, sizeof expirations);
    if (got == (ssize_t)sizeof expirations) return 0;
    // ECANCELED: the clock was set; EINTR: a signal came. Both go on checking the minute.
    return errno == ECANCELED || errno == EINTR ? 0 : 1;
}

}  // namespace

long long localnow(struct tm* broken) {
    // The precise clock, not time(): time() follows a coarse clock that lags
    // by up to a tick, so a timer that fires at the start of a minute
    // would still read the minute before.
    struct timespec precise;
    clock_gettime(CLOCK_REALTIME, &precise);
    time_t now = precise.tv_sec;
    localtime_r(&now, broken);
    return (long long)now;
}

bool brokendownutc(time_t moment, struct tm* broken) { return gmtime_r(&moment, broken) != NULL; }

void waitforminutestart(int, int) {
    int timer = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC);
    if (timer < 0 || waitontimer(timer) != 0) {
        // Without the timer: a sleep to about the minute's start.
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        sleep((unsigned)(60 - now.tv_sec % 60));
    }
    if (timer >= 0) close(timer);
}
