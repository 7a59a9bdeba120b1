#include "whentext.h"

#include "calendar.h"
#include "configfile.h"
#include "duerules.h"

#include <cstdio>

namespace {

const char* const WEEKDAYS[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char* const MONTHS[12] = {"January", "February", "March",     "April",   "May",      "June",
                                "July",    "August",   "September", "October", "November", "December"};
// Room for a date in words, "Wednesday 30 September 2026" and more.
const int DATEBUFSIZE = 48;
// A simple alarm shown this many minutes or more after its minute is shown
// late. The service starts the box within the minute; one that starts just
// after the minute's end is still on time.
const int LATEMINUTES = 2;
// How far back the date of a line that passed is looked for: an annual
// 29 February recurs within eight years.
const int MOSTDAYSBACK = 8 * 366;

long long dayof(const localminute* at) { return daynumber(at->year, at->month, at->day); }

long long minutesof(const localminute* at) { return dayof(at) * MINUTESPERDAY + at->hour * 60 + at->minute; }

// "Thursday 24 December", and the year after it when it is not nowyear's.
void formatdate(const localminute* at, int nowyear, char* text) {
    const char* name = WEEKDAYS[weekday(dayof(at))];
    int written = at->year == nowyear
                      ? snprintf(text, DATEBUFSIZE, "%s %d %s", name, at->day, MONTHS[at->month - 1])
                      : snprintf(text, DATEBUFSIZE, "%s %d %s %d", name, at->day, MONTHS[at->month - 1], at->year);
    if (written < 0 || written >= DATEBUFSIZE) text[0] = '\0';
}

// true when the monthly or annual line falls on the date at (year, month and day set).
bool fallson(const alarmline* line, const localminute* at) {
    if (line->layout == LAYOUTANNUAL && at->month != line->at.month) return false;
    return at->day == line->at.day;
}

// The date of a monthly or annual line nearest to today: the first within the
// longest advance the service allows, today's included, else the last that
// passed. Gives false when none is found.
bool dateofline(const alarmline* line, const localminute* now, localminute* date) {
    int advance = line->layout == LAYOUTMONTHLY ? SERVICEMONTHLYMAX : SERVICEANNUALMAX;
    long long today = dayof(now);
    for (long long offset = 0; offset <= MOSTDAYSBACK; offset++) {
        // The days ahead first, then back from yesterday.
        long long number = offset <= advance ? today + offset : today - (offset - advance);
        *date = {0, 0, 0, 0, 0};
        datefromdaynumber(number, &date->year, &date->month, &date->day);
        if (fallson(line, date)) return true;
    }
    return false;
}

int describeminute(const localminute* due, const localminute* now, char* text, int size) {
    char date[DATEBUFSIZE];
    formatdate(due, now->year, date);
    long long days = dayof(due) - dayof(now);
    int written;
    if (minutesof(now) - minutesof(due) >= LATEMINUTES) {
        written = days == 0 ? snprintf(text, (size_t)size, "was due at %02d:%02d today", due->hour, due->minute)
                            : snprintf(text, (size_t)size, "was due at %02d:%02d on %s", due->hour, due->minute, date);
    } else if (days == 0) {
        written = snprintf(text, (size_t)size, "today at %02d:%02d", due->hour, due->minute);
    } else if (days == 1) {
        written = snprintf(text, (size_t)size, "tomorrow at %02d:%02d", due->hour, due->minute);
    } else {
        written = snprintf(text, (size_t)size, "on %s at %02d:%02d", date, due->hour, due->minute);
    }
    return written < 0 || written >= size ? 1 : 0;
}

int describedate(const localminute* due, const localminute* now, char* text, int size) {
    char date[DATEBUFSIZE];
    formatdate(due, now->year, date);
    long long days = dayof(due) - dayof(now);
    int written;
    if (days == 0) written = snprintf(text, (size_t)size, "today");
    else if (days == 1) written = snprintf(text, (size_t)size, "tomorrow");
    else if (days > 1) written = snprintf(text, (size_t)size, "in %lld days, on %s", days, date);
    else written = snprintf(text, (size_t)size, "was on %s", date);
    return written < 0 || written >= size ? 1 : 0;
}

}  // namespace

int describewhen(const alarmline* line, const localminute* due, const localminute* now, char* text, int size) {
    localminute at = {0, 0, 0, 0, 0};
    int failed = 1;
    switch (line->layout) {
    case LAYOUTSIMPLE:
        failed = describeminute(due != NULL ? due : &line->at, now, text, size);
        break;
    case LAYOUTWEEKLY:
        if (due != NULL) at = *due;
        else if (!lastweeklyminute(line, now, &at)) break;
        failed = describeminute(&at, now, text, size);
        break;
    case LAYOUTMONTHLY:
    case LAYOUTANNUAL:
        if (due != NULL) at = *due;
        else if (!dateofline(line, now, &at)) break;
        failed = describedate(&at, now, text, size);
        break;
    default:
        // A line made by hand: its date, if any, is not guessed at.
        break;
    }
    if (failed && size > 0) text[0] = '\0';
    return failed;
}

int describenow(const char* line, const char* duetext, char* text, int size) {
    alarmline read;
    readalarmline(line, &read);
    char stamp[STAMPBUFSIZE];
    gettimestamp(stamp);
    localminute now;
    localminute due;
    if (!readstamp(stamp, &now)) {
        if (size > 0) text[0] = '\0';
        return 1;
    }
    bool known = duetext != NULL && readstamp(duetext, &due);
    return describewhen(&read, known ? &due : NULL, &now, text, size);
}
