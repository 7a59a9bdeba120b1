// A second, plain account of what the programs do, written without their own
// code, that the fuzz targets and the robustness tests check them against:
// how a number is read from a data line (leading blanks, a sign, digits; a
// huge one held to a bound), the Gregorian calendar, the service's settings
// and which monthly and annual lines are due on a date.
#ifndef RUVELLO_BEHAVIOURMODEL_H
#define RUVELLO_BEHAVIOURMODEL_H

#include <set>
#include <string>
#include <vector>

// The leading number of text (blanks, a sign, digits), its size held to
// +-10000000 so that no digit string overflows it.
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

// A field of a line read by itself: the number that the characters from start on, at most count, begin with.
inline long modelfield(const std::string& line, size_t start, size_t count) {
    if (start >= line.size()) return 0;
    return modelnumber(line.substr(start, count));
}

// The ISO day of the week of a date, 1 Monday to 7 Sunday (Sakamoto's rule).
inline int modelweekday(const modeldate& date) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int year = date.month < 3 ? date.year - 1 : date.year;
    int sunday0 = (year + year / 4 - year / 100 + year / 400 + offsets[date.month - 1] + date.day) % 7;
    return sunday0 == 0 ? 7 : sunday0;
}

// A weekly line "HH:MM D... - message": true with its minute of the day and
// its days (days[d] for ISO weekday d) when it is one, with a real time,
// strictly ascending days from 1 to 7 and at least one character of message.
inline bool modelweekly(const std::string& line, int* minuteofday, bool days[8]) {
    auto digit = [&](size_t i) { return i < line.size() && line[i] >= '0' && line[i] <= '9'; };
    if (!digit(0) || !digit(1) || line.size() < 6 || line[2] != ':' || !digit(3) || !digit(4) || line[5] != ' ') {
        return false;
    }
    int hour = (line[0] - '0') * 10 + (line[1] - '0');
    int minute = (line[3] - '0') * 10 + (line[4] - '0');
    if (hour > 23 || minute > 59) return false;
    for (int d = 0; d < 8; d++) days[d] = false;
    size_t at = 6;
    int last = 0;
    for (; digit(at); at++) {
        int day = line[at] - '0';
        if (day <= last || day > 7) return false;
        days[day] = true;
        last = day;
    }
    if (last == 0 || line.compare(at, 3, " - ") != 0 || line.size() <= at + 3) return false;
    *minuteofday = hour * 60 + minute;
    return true;
}

// The service's advance values from the configuration file's data lines.
struct settingsmodel {
    int annual;
    int monthly;
};

inline settingsmodel modelsettings(const std::vector<std::string>& lines) {
    settingsmodel settings = {7, 3};
    if (lines.empty()) return settings;
    long value = modelnumber(lines[0]);
    settings.annual = value <= 0 ? 1 : value > 30 ? 30 : (int)value;
    if (lines.size() < 2) return settings;
    value = modelnumber(lines[1]);
    settings.monthly = value < 0 || value > 10 ? 1 : (int)value;
    return settings;
}

// Appends to expected the monthly, then the annual lines due on date, in file
// order, leaving out those already in memory (which they then join). With
// passed dates given (the days from the last day scanned up to the day
// before date), a line whose date is among them is due too, unless seen (the
// last day's memory) holds it.
inline void modellists(const modeldate& date, const settingsmodel& settings, const std::vector<std::string>& monthly,
                       const std::vector<std::string>& annual, std::set<std::string>* memory,
                       std::vector<std::string>* expected, const std::vector<modeldate>& passed = {},
                       const std::set<std::string>& seen = {}) {
    std::vector<modeldate> monthwindow;
    std::vector<modeldate> yearwindow;
    modeldate walk = date;
    for (int offset = 0; offset <= 30; offset++) {
        if (offset <= settings.monthly) monthwindow.push_back(walk);
        if (offset <= settings.annual) yearwindow.push_back(walk);
        walk = modelnextday(walk);
    }
    for (const std::string& line : monthly) {
        long day = modelfield(line, 0, 2);
        bool due = false;
        for (const modeldate& each : monthwindow) due = due || each.day == day;
        for (const modeldate& each : passed) due = due || (each.day == day && seen.count(line) == 0);
        if (due && memory->insert(line).second) expected->push_back(line);
    }
    for (const std::string& line : annual) {
        long month = modelfield(line, 0, 2);
        long day = modelfield(line, 3, 2);
        bool due = false;
        for (const modeldate& each : yearwindow) due = due || (each.month == month && each.day == day);
        for (const modeldate& each : passed) {
            due = due || (each.month == month && each.day == day && seen.count(line) == 0);
        }
        if (due && memory->insert(line).second) expected->push_back(line);
    }
}

#endif
