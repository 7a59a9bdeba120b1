#include "snooze.h"

#include "calendar.h"
#include "datafiles.h"
#include "fileformats.h"

#include <ctime>

namespace {

// A delay of 0 minutes stands for the same time on the next date.
const int NEXTDAY = 0;

struct snoozechoice {
    const char* label;
    int minutes;
};

const snoozechoice CHOICES[SNOOZECHOICES] = {
    {"in 5 minutes", 5}, {"in 10 minutes", 10}, {"in 30 minutes", 30},
    {"in 1 hour", 60},   {"in 2 hours", 120},   {"tomorrow at this time", NEXTDAY},
};

const int MINUTESPERDAY = 24 * 60;
// A gap in the local clock is shorter than a day.
const int MOSTGAPMINUTES = MINUTESPERDAY;

// The local minute of the moment when (the C library's own, thread-unsafe
// call: the box has one thread); false when there is none.
bool localminuteof(time_t when, localminute* minute) {
    const struct tm* broken = localtime(&when);
    if (broken == NULL) return false;
    *minute = {broken->tm_year + 1900, broken->tm_mon + 1, broken->tm_mday, broken->tm_hour, broken->tm_min};
    return true;
}

bool sameminute(const localminute* a, const localminute* b) {
    return a->year == b->year && a->month == b->month && a->day == b->day && a->hour == b->hour &&
           a->minute == b->minute;
}

// true when the local clock shows wanted at some moment: the moment that
// mktime makes of it reads back as the same minute.
bool exists(const localminute* wanted) {
    struct tm broken = {};
    broken.tm_year = wanted->year - 1900;
    broken.tm_mon = wanted->month - 1;
    broken.tm_mday = wanted->day;
    broken.tm_hour = wanted->hour;
    broken.tm_min = wanted->minute;
    broken.tm_isdst = -1;
    time_t made = mktime(&broken);
    localminute shown;
    return made != (time_t)-1 && localminuteof(made, &shown) && sameminute(&shown, wanted);
}

// The first minute from wanted on that the local clock shows.
bool firstshownminute(localminute* wanted) {
    long long start = daynumber(wanted->year, wanted->month, wanted->day) * MINUTESPERDAY + wanted->hour * 60 +
                      wanted->minute;
    for (long long at = start; at <= start + MOSTGAPMINUTES; at++) {
        localminute candidate = {0, 0, 0, (int)(at % MINUTESPERDAY / 60), (int)(at % 60)};
        datefromdaynumber(at / MINUTESPERDAY, &candidate.year, &candidate.month, &candidate.day);
        if (exists(&candidate)) {
            *wanted = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace

const char* snoozelabel(int choice) { return choice >= 0 && choice < SNOOZECHOICES ? CHOICES[choice].label : ""; }

int snoozeminute(int choice, long long now, localminute* minute) {
    if (choice < 0 || choice >= SNOOZECHOICES) return 1;
    if (CHOICES[choice].minutes != NEXTDAY) {
        return localminuteof((time_t)(now + CHOICES[choice].minutes * 60LL), minute) ? 0 : 1;
    }
    if (!localminuteof((time_t)now, minute)) return 1;
    addoneday(&minute->year, &minute->month, &minute->day);
    return firstshownminute(minute) ? 0 : 1;
}

int snoozereminder(const char* line, int choice, long long now, char* path) {
    localminute minute;
    path[0] = '\0';
    if (snoozeminute(choice, now, &minute) != 0) return LISTNOTWRITTEN;
    alarmline read;
    readalarmline(line, &read);
    char snoozed[LINEBUFSIZE];
    composesimpleline(&minute, read.message, snoozed);
    return appendalarmline(KINDSINGLE, snoozed, path);
}
