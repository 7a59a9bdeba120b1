// When an alarm is due: the rules that the reminder service's cycle follows
// and that the panel's agenda (ruvelloconfig --upcoming) shows, in one place,
// so that the two never tell different stories.
//
// A monthly or annual line is announced once a day while its date lies in the
// advance window of that day. markwindow marks the window's dates once for a
// whole list; monthlydue and annualdue then tell whether a line's date is
// among them and which date it is (the reminder window is told it). After a
// gap the cycle also announces the lines whose date passed meanwhile:
// markpassed marks those dates, each day of the month standing for the latest
// date it passed on. A simple line is due in the minute that its first 16
// characters name, when that is a minute a clock can show (isrealstamp);
// announcedminute gives the minute in which the service announces it, which
// is another one only for a minute that the start of daylight saving skips.
// A weekly line is due in each minute whose day of the week is among its
// days and whose time is its time; after a gap the cycle announces it once,
// for the latest such minute that passed (weeklydue), like a simple line
// that skipped minutes included.
#ifndef RUVELLO_DUERULES_H
#define RUVELLO_DUERULES_H

struct calendardate {
    int year;
    int month;   // 1-12
    int day;     // 1-31
};

// The dates a window (or the days passed after a gap) holds: days marks the
// days of the month, dates the month and day pairs, each with the date it
// stands for.
struct windowdates {
    bool days[32];
    calendardate dayof[32];
    bool dates[13][32];
    int yearof[13][32];
};

// The window of the given day and the advance days after it (advance 0: the day alone).
void markwindow(int year, int month, int day, int advance, windowdates* window);
// The dates from the given day up to the day before today.
void markpassed(int year, int month, int day, int todayyear, int todaymonth, int today, windowdates* window);
// True when the monthly line's day ("DD - ...") is in the window; due (may be NULL) receives its date.
bool monthlydue(const char* line, const windowdates* window, calendardate* due);
// True when the annual line's month and day ("MM-DD - ...") are in the window; due (may be NULL) receives its date.
bool annualdue(const char* line, const windowdates* window, calendardate* due);

// Room for a minute's text "YYYY-MM-DD HH:MM" and its zero.
const int MINUTEBUFSIZE = 17;
// The local minute (MINUTEBUFSIZE bytes) in which the service announces a
// simple line whose first 16 characters isrealstamp accepts: that minute,
// or, when the start of daylight saving skips it, the first minute after the gap.
void announcedminute(const char* line, char* minute);
// True when the weekly line (only one whose fields follow its layout) is due
// in a minute after the minute after and at or before upto, or, with after
// NULL, in the minute upto itself ("YYYY-MM-DD HH:MM", real minutes); due
// (MINUTEBUFSIZE bytes) then receives the latest such minute.
bool weeklydue(const char* line, const char* after, const char* upto, char* due);

#endif
