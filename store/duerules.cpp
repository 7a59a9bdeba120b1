#include "duerules.h"

#include "alarmlines.h"
#include "calendar.h"
#include "configfile.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// Room for a field of a line read as a number.
const int FIELDBUFSIZE = 8;
// Catching up reaches back 31 days at the most: the walk over the days that
// passed never needs more steps than this.
const int MOSTPASSEDSTEPS = 32;
// A gap in the local clock is never longer than a day: the search for its end stops there.
const int MOSTGAPMINUTES = MINUTESPERDAY;

// The field of count characters from position start (0-based) read as a
// decimal number by itself; the characters beyond the line's end are absent.
int readfield(const char* line, int start, int count) {
    char field[FIELDBUFSIZE];
    size_t length = strnlen(line, (size_t)(start + count));
    int used = 0;
    for (size_t i = (size_t)start; i < length && used < FIELDBUFSIZE - 1; i++) field[used++] = line[i];
    field[used] = '\0';
    return readdecimal(field);
}

// Marks one date; keepfirst leaves a day of the month that is marked already
// standing for its earlier date.
void markdate(windowdates* window, int year, int month, int day, bool keepfirst) {
    if (!keepfirst || !window->days[day]) {
        window->days[day] = true;
        window->dayof[day] = calendardate{year, month, day};
    }
    window->dates[month][day] = true;
    window->yearof[month][day] = year;
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

// "YYYY-MM-DD HH:MM" of at in minute (MINUTEBUFSIZE bytes), as formatminute
// writes it; false when the year has more than four digits.
bool writeminute(const localminute* at, char* minute) {
    char stamp[STAMPBUFSIZE];
    formatminute(at, stamp);
    if (strlen(stamp) != (size_t)STAMPLEN) return false;
    memcpy(minute, stamp, MINUTEBUFSIZE);
    return true;
}

}  // namespace

void markwindow(int year, int month, int day, int advance, windowdates* window) {
    memset(window, 0, sizeof *window);
    for (int offset = 0; offset <= advance; offset++) {
        markdate(window, year, month, day, true);
        addoneday(&year, &month, &day);
    }
}

void markpassed(int year, int month, int day, int todayyear, int todaymonth, int today, windowdates* window) {
    memset(window, 0, sizeof *window);
    // The forward limit of catching up keeps the walk short; the bound only guards it.
    for (int steps = 0; steps <= MOSTPASSEDSTEPS; steps++) {
        if (year == todayyear && month == todaymonth && day == today) return;
        markdate(window, year, month, day, false);
        addoneday(&year, &month, &day);
    }
}

int monthlyday(const char* line) {
    int day = readfield(line, 0, 2);
    return day >= 1 && day <= 31 ? day : 0;
}

bool monthlydue(const char* line, const windowdates* window, calendardate* due) {
    int day = monthlyday(line);
    if (day == 0 || !window->days[day]) return false;
    if (due != NULL) *due = window->dayof[day];
    return true;
}

bool annualdue(const char* line, const windowdates* window, calendardate* due) {
    int month = readfield(line, 0, 2);
    int day = readfield(line, 3, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || !window->dates[month][day]) return false;
    if (due != NULL) *due = calendardate{window->yearof[month][day], month, day};
    return true;
}

bool localminuteof(long long when, localminute* minute) {
    // The C library's own, thread-unsafe call: each program reads the clock in one thread.
    time_t moment = (time_t)when;
    const struct tm* broken = localtime(&moment);
    if (broken == NULL) return false;
    *minute = {broken->tm_year + 1900, broken->tm_mon + 1, broken->tm_mday, broken->tm_hour, broken->tm_min};
    return true;
}

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

void announcedminute(const char* line, char* minute) {
    localminute wanted = minuteat(line);
    if (!firstshownminute(&wanted) || !writeminute(&wanted, minute)) {
        memcpy(minute, line, STAMPLEN);
        minute[STAMPLEN] = '\0';
    }
}

bool simpledue(const char* line, const char* after, const char* upto, char* due) {
    if (after == NULL) {
        if (strncmp(line, upto, STAMPLEN) != 0) return false;
    } else if (strncmp(line, after, STAMPLEN) <= 0 || strncmp(line, upto, STAMPLEN) > 0 || !isrealstamp(line)) {
        return false;
    }
    // The line's minute is its first 16 characters, as read.
    memset(due, 0, MINUTEBUFSIZE);
    memcpy(due, line, STAMPLEN);
    return true;
}

bool lastweeklyminute(const alarmline* read, const localminute* upto, localminute* at) {
    long long today = daynumber(upto->year, upto->month, upto->day);
    bool latertoday = read->at.hour * 60 + read->at.minute > upto->hour * 60 + upto->minute;
    for (int back = latertoday ? 1 : 0; back <= 7; back++) {
        if (!hasweekday(read->days, weekday(today - back) + 1)) continue;
        *at = {0, 0, 0, read->at.hour, read->at.minute};
        datefromdaynumber(today - back, &at->year, &at->month, &at->day);
        return true;
    }
    return false;
}

bool weeklydue(const char* line, const char* after, const char* upto, char* due) {
    const char* time = upto + 11;  // "HH:MM" of the minute upto
    // The minute alone needs the line's own time, and minutes of one date a
    // time between theirs: most lines fail at once, before they are read whole.
    if (after == NULL && strncmp(line, time, 5) != 0) return false;
    if (after != NULL && strnlen(after, STAMPLEN) == (size_t)STAMPLEN && strncmp(after, upto, 10) == 0 &&
        (strncmp(line, after + 11, 5) <= 0 || strncmp(line, time, 5) > 0)) {
        return false;
    }
    alarmline read;
    if (readalarmline(line, &read) != LAYOUTWEEKLY) return false;
    localminute until = minuteat(upto);
    localminute at;
    char minute[MINUTEBUFSIZE];
    if (!lastweeklyminute(&read, &until, &at) || !writeminute(&at, minute)) return false;
    if (after == NULL ? strncmp(minute, upto, STAMPLEN) != 0 : strncmp(minute, after, STAMPLEN) <= 0) return false;
    memcpy(due, minute, MINUTEBUFSIZE);
    return true;
}
