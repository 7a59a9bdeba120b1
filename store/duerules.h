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
// date it passed on. A monthly line's day is read by monthlyday alone.
// A simple line is due in the minute that its first 16 characters name, when
// that is a minute a clock can show (isrealstamp; simpledue). A weekly line
// is due in each minute whose day of the week is among its days and whose time
// is its time; after a gap the cycle announces it once, for the latest such
// minute that passed (weeklydue, lastweeklyminute), like a simple line that
// skipped minutes included. The service, run by the clock, sees a minute
// that the start of daylight saving skips in the first minute the clock shows
// after it (firstshownminute): the agenda shows it there (announcedminute),
// and a snooze to such a minute is put there.
#ifndef RUVELLO_DUERULES_H
#define RUVELLO_DUERULES_H

#include "alarmlines.h"

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
// The day of the month a monthly line names, 1 to 31, as the service reads a
// stored line: its first two characters as a number ("7 - x" names the 7th);
// 0 when they name none.
int monthlyday(const char* line);
// True when the monthly line's day ("DD - ...") is in the window; due (may be NULL) receives its date.
bool monthlydue(const char* line, const windowdates* window, calendardate* due);
// True when the annual line's month and day ("MM-DD - ...") are in the window; due (may be NULL) receives its date.
bool annualdue(const char* line, const windowdates* window, calendardate* due);

// Room for a minute's text "YYYY-MM-DD HH:MM" and its zero.
const int MINUTEBUFSIZE = 17;
// The local minute of the moment when (seconds since 1970 in UTC); false when there is none.
bool localminuteof(long long when, localminute* minute);
// The first minute from wanted on that the local clock shows: wanted itself,
// or, when the start of daylight saving skips it, the first minute after the
// gap. false when there is none within a day.
bool firstshownminute(localminute* wanted);
// The local minute (MINUTEBUFSIZE bytes) in which the service announces a
// line whose first 16 characters isrealstamp accepts: firstshownminute of it.
void announcedminute(const char* line, char* minute);
// True when the simple line is due in a minute after the minute after and at
// or before upto (its first 16 characters naming a real minute there), or,
// with after NULL, in the minute upto itself ("YYYY-MM-DD HH:MM"); due
// (MINUTEBUFSIZE bytes) then receives that minute.
bool simpledue(const char* line, const char* after, const char* upto, char* due);
// True when the weekly line (only one whose fields follow its layout) is due
// in a minute after the minute after and at or before upto, or, with after
// NULL, in the minute upto itself ("YYYY-MM-DD HH:MM", real minutes); due
// (MINUTEBUFSIZE bytes) then receives the latest such minute.
bool weeklydue(const char* line, const char* after, const char* upto, char* due);
// The latest minute of the weekly line read (LAYOUTWEEKLY) at or before upto,
// within the week; false for a line without a day.
bool lastweeklyminute(const alarmline* read, const localminute* upto, localminute* at);

#endif
