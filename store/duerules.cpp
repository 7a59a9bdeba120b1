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
const int MOSTGAPMINUTES = 24 * 60;

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

int digitsat(const char* text, int start, int count) {
    int value = 0;
    for (int i = start; i < start + count; i++) value = value * 10 + (text[i] - '0');
    return value;
}

// The local minute of a moment as "YYYY-MM-DD HH:MM".
void shownminute(time_t moment, char* minute) {
    struct tm* broken = localtime(&moment);
    if (broken == NULL || strftime(minute, (size_t)MINUTEBUFSIZE, "%Y-%m-%d %H:%M", broken) == 0) minute[0] = '\0';
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

bool monthlydue(const char* line, const windowdates* window, calendardate* due) {
    int day = readfield(line, 0, 2);
    if (day < 1 || day > 31 || !window->days[day]) return false;
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

void announcedminute(const char* line, char* minute) {
    char wanted[MINUTEBUFSIZE];
    memcpy(wanted, line, MINUTEBUFSIZE - 1);
    wanted[MINUTEBUFSIZE - 1] = '\0';
    struct tm broken;
    memset(&broken, 0, sizeof broken);
    broken.tm_year = digitsat(line, 0, 4) - 1900;
    broken.tm_mon = digitsat(line, 5, 2) - 1;
    broken.tm_mday = digitsat(line, 8, 2);
    broken.tm_hour = digitsat(line, 11, 2);
    broken.tm_min = digitsat(line, 14, 2);
    broken.tm_isdst = -1;
    time_t moment = mktime(&broken);
    if (moment == (time_t)-1) {
        memcpy(minute, wanted, MINUTEBUFSIZE);
        return;
    }
    moment -= moment % 60;
    // The first minute the clock shows at or after the wanted one: the wanted
    // minute itself, unless the clock jumps over it.
    char shown[MINUTEBUFSIZE];
    shownminute(moment, shown);
    for (int step = 0; step < MOSTGAPMINUTES && strcmp(shown, wanted) < 0; step++) {
        moment += 60;
        shownminute(moment, shown);
    }
    char before[MINUTEBUFSIZE];
    shownminute(moment - 60, before);
    for (int step = 0; step < MOSTGAPMINUTES && strcmp(before, wanted) >= 0; step++) {
        moment -= 60;
        memcpy(shown, before, MINUTEBUFSIZE);
        shownminute(moment - 60, before);
    }
    memcpy(minute, shown, MINUTEBUFSIZE);
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
    long long today = daynumber(digitsat(upto, 0, 4), digitsat(upto, 5, 2), digitsat(upto, 8, 2));
    int todayweekday = weekday(today) + 1;
    bool latertoday = strncmp(line, time, 5) > 0;
    // The fewest days back to the latest of the line's minutes at or before upto.
    int back = 8;
    for (int day = 1; day <= 7; day++) {
        if (!hasweekday(read.days, day)) continue;
        int distance = (todayweekday - day + 7) % 7;
        if (distance == 0 && latertoday) distance = 7;
        if (distance < back) back = distance;
    }
    if (after == NULL && back != 0) return false;
    int year, month, day;
    datefromdaynumber(today - back, &year, &month, &day);
    char minute[MINUTEBUFSIZE];
    int written = snprintf(minute, sizeof minute, "%04d-%02d-%02d %.5s", year % 10000, month % 100, day % 100, line);
    if (written != STAMPLEN) return false;
    if (after != NULL && strncmp(minute, after, STAMPLEN) <= 0) return false;
    memcpy(due, minute, MINUTEBUFSIZE);
    return true;
}
