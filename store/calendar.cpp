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

namespace {

// The number of days from 1970-01-01 to the given date (proleptic Gregorian).
long daysfromcivil(long year, long month, long day) {
    year -= month <= 2 ? 1 : 0;
    long era = (year >= 0 ? year : year - 399) / 400;
    long yearofera = year - era * 400;
    long dayofyear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long dayofera = yearofera * 365 + yearofera / 4 - yearofera / 100 + dayofyear;
    return era * 146097 + dayofera - 719468;
}

int digitsat(const char* text, int start, int count) {
    int value = 0;
    for (int i = start; i < start + count; i++) value = value * 10 + (text[i] - '0');
    return value;
}

}  // namespace

long long stampminutes(const char* stamp) {
    long long days = daysfromcivil(digitsat(stamp, 0, 4), digitsat(stamp, 5, 2), digitsat(stamp, 8, 2));
    return days * 1440 + digitsat(stamp, 11, 2) * 60 + digitsat(stamp, 14, 2);
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
