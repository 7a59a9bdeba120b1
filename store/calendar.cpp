#include "calendar.h"

#include "wallclock.h"

#include <cctype>
#include <cstring>
#include <ctime>

namespace {

const int DAYSPERMONTH[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

void formatstamp(const struct tm* broken, char* text) {
    char work[STAMPBUFSIZE];
    memset(work, 0, sizeof work);
    if (strftime(work, sizeof work, "%Y-%m-%d %H:%M", broken) == 0) work[0] = '\0';
    memcpy(text, work, STAMPBUFSIZE);
}

void splitdate(const struct tm* broken, int* year, int* month, int* day) {
    *year = broken->tm_year + 1900;
    *month = broken->tm_mon + 1;
    *day = broken->tm_mday;
}

}  // namespace

void gettimestamp(char* text) {
    struct tm broken;
    localnow(&broken);
    formatstamp(&broken, text);
}

void getdate(int* year, int* month, int* day) {
    struct tm broken;
    localnow(&broken);
    splitdate(&broken, year, month, day);
}

long long getdateandstamp(int* year, int* month, int* day, char* stamp) {
    struct tm broken;
    long long now = localnow(&broken);
    splitdate(&broken, year, month, day);
    formatstamp(&broken, stamp);
    return now;
}

int formatnow(const char* format, char* text, int size) {
    struct tm broken;
    localnow(&broken);
    if (size > 0) text[0] = '\0';
    if (size <= 0 || strftime(text, (size_t)size, format, &broken) == 0) {
        if (size > 0) text[0] = '\0';
        return 1;
    }
    return 0;
}

bool isleapyear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysinmonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    if (month == 2 && isleapyear(year)) return 29;
    return DAYSPERMONTH[month - 1];
}

void addoneday(int* year, int* month, int* day) {
    if (*day < daysinmonth(*year, *month)) {
        (*day)++;
        return;
    }
    // The last day of the month, or a day beyond it, moves to the first of the next.
    *day = 1;
    if (*month > 11) {
        *month = 1;
        (*year)++;
    } else {
        (*month)++;
    }
}

// Days are counted in eras of 400 Gregorian years, which all have the same
// length (146097 days), with each year begun on 1 March so that a leap day
// falls at a year's end.
long long daynumber(int year, int month, int day) {
    long long y = month <= 2 ? year - 1 : year;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yearofera = y - era * 400;
    long long dayofyear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    long long dayofera = yearofera * 365 + yearofera / 4 - yearofera / 100 + dayofyear;
    return era * 146097 + dayofera - 719468;
}

void datefromdaynumber(long long number, int* year, int* month, int* day) {
    long long shifted = number + 719468;
    long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    long long dayofera = shifted - era * 146097;
    long long yearofera = (dayofera - dayofera / 1460 + dayofera / 36524 - dayofera / 146096) / 365;
    long long dayofyear = dayofera - (365 * yearofera + yearofera / 4 - yearofera / 100);
    long long monthfrommarch = (5 * dayofyear + 2) / 153;
    *day = (int)(dayofyear - (153 * monthfrommarch + 2) / 5 + 1);
    *month = (int)(monthfrommarch < 10 ? monthfrommarch + 3 : monthfrommarch - 9);
    *year = (int)(yearofera + era * 400 + (*month <= 2 ? 1 : 0));
}

int weekday(long long number) {
    // Day 0, 1 January 1970, was a Thursday.
    return (int)(((number % 7) + 7 + 3) % 7);
}

int digitsat(const char* text, int start, int count) {
    int value = 0;
    for (int i = start; i < start + count; i++) value = value * 10 + (text[i] - '0');
    return value;
}

long long stampminutes(const char* stamp) {
    long long days = daynumber(digitsat(stamp, 0, 4), digitsat(stamp, 5, 2), digitsat(stamp, 8, 2));
    return days * MINUTESPERDAY + digitsat(stamp, 11, 2) * 60 + digitsat(stamp, 14, 2);
}

bool isrealstamp(const char* line) {
    static const char pattern[] = "dddd-dd-dd dd:dd";
    for (int i = 0; i < STAMPLEN; i++) {
        if (pattern[i] == 'd' ? !isdigit((unsigned char)line[i]) : line[i] != pattern[i]) return false;
    }
    int month = digitsat(line, 5, 2);
    int day = digitsat(line, 8, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= daysinmonth(digitsat(line, 0, 4), month) &&
           digitsat(line, 11, 2) <= 23 && digitsat(line, 14, 2) <= 59;
}

void waitfornextminute(const char* stamp) {
    char fresh[STAMPBUFSIZE];
    for (;;) {
        gettimestamp(fresh);
        if (strcmp(fresh, stamp) != 0) return;
        waitforminutestart(digitsat(stamp, 11, 2), digitsat(stamp, 14, 2));
    }
}
