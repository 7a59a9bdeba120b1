// An independent model of the rules the fuzz targets check the programs
// against: reading a number as the C runtime's atoi does (without overflow),
// and the Gregorian calendar, written without the system's own calendar code.
#ifndef RUVELLO_FUZZMODEL_H
#define RUVELLO_FUZZMODEL_H

#include <string>

// The leading number of text as atoi reads it (blanks, a sign, digits), its
// size held to +-10000000 so that no digit string overflows it.
inline long modelnumber(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) at++;
    long sign = 1;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) sign = text[at++] == '-' ? -1 : 1;
    long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; at++) {
        value = value * 10 + (text[at] - '0');
        if (value > 10000000) value = 10000000;
    }
    return sign * value;
}

inline int modeldaysinmonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

struct modeldate {
    int year;
    int month;
    int day;
    bool operator==(const modeldate& other) const {
        return year == other.year && month == other.month && day == other.day;
    }
};

inline modeldate modelnextday(modeldate date) {
    if (date.day < modeldaysinmonth(date.year, date.month)) return {date.year, date.month, date.day + 1};
    if (date.month < 12) return {date.year, date.month + 1, 1};
    return {date.year + 1, 1, 1};
}

#endif
