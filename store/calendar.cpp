#include "calendar.h"

#include "wallclock.h"

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
