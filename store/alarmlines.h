// The layouts of alarm lines, the making of a simple alarm's line, and the
// adding of one line to a list on disk.
//
// The lists hold a simple alarm as "YYYY-MM-DD HH:MM - message", a monthly one
// as "DD - message", an annual one as "MM-DD - message" and a weekly one as
// "HH:MM D... - message", each date or minute a real one (a monthly day 1 to
// 31, an annual 29 February included) and a weekly one's days its ISO weekday
// digits (1 Monday to 7 Sunday), strictly ascending, at least one.
// readalarmline tells which of them a line follows, gives its fields and
// where its message begins; a line made by hand that follows none of them is
// LAYOUTNONE, and its message is the whole line.
//
// Every layout is a row of the table of alarm kinds (alarmkinds.h), which the
// functions here walk.
//
// Typical use, putting an alarm's message off to a later minute:
//   alarmline read;  readalarmline(text, &read);
//   alarmline fields = {LAYOUTSIMPLE, minute, 0, NULL};
//   composealarmline(KINDSINGLE, &fields, read.message, line);
//   appendalarmline(KINDSINGLE, line, path);
#ifndef RUVELLO_ALARMLINES_H
#define RUVELLO_ALARMLINES_H

#include "datafiles.h"

// The environment variable in which the service hands the message box the
// minute it announces ("YYYY-MM-DD HH:MM": a simple or weekly alarm's minute,
// a monthly or annual alarm's date with 00:00).
const char DUEVARIABLE[] = "RUVELLO_DUE";

// A minute of the local clock; a date alone has hour and minute 0.
struct localminute {
    int year;
    int month;   // 1-12
    int day;     // 1-31
    int hour;    // 0-23
    int minute;  // 0-59
};

// The layouts; a line's layout is the first of them that it follows.
const int LAYOUTNONE = 0;
const int LAYOUTSIMPLE = 1;    // at: all five fields
const int LAYOUTMONTHLY = 2;   // at: the day
const int LAYOUTANNUAL = 3;    // at: month and day
const int LAYOUTWEEKLY = 4;    // at: hour and minute; days: the days of the week

// The days of the week in a week's days as bits: Monday (ISO weekday 1) is bit 0.
inline bool hasweekday(int days, int isoweekday) { return (days >> (isoweekday - 1) & 1) != 0; }

struct alarmline {
    int layout;
    localminute at;       // the fields the layout holds, the others 0
    int days;             // a weekly line's days of the week, else 0
    const char* message;  // inside the line: after the date's " - ", or the whole line
};

int readalarmline(const char* line, alarmline* read);  // gives read->layout
// The minute that a text beginning with "YYYY-MM-DD HH:MM" names, its digits
// read whatever their values (isrealstamp, calendar.h, tells a real one).
localminute minuteat(const char* text);
// true when text is exactly a real "YYYY-MM-DD HH:MM", which minute then holds.
bool readstamp(const char* text, localminute* minute);
// Writes minute as "YYYY-MM-DD HH:MM"; text has room for STAMPBUFSIZE (calendar.h).
void formatminute(const localminute* minute, char* text);

// Makes a line of kind from the fields its layout holds (fields->at, and
// fields->days for a weekly line) and message, in line (room for
// LINEBUFSIZE): "YYYY-MM-DD HH:MM - message" and the others. A message too
// long for a data line is cut at the longest length that fits, never inside a
// UTF-8 character; a carriage return or line feed becomes a space, so the
// message never brings a line break into a file. A weekly line without a day
// has none (checknewalarm refuses it).
void composealarmline(int kind, const alarmline* fields, const char* message, char* line);
// Makes a new alarm of kind as composealarmline does, in line (room for
// LINEBUFSIZE + 1), but keeps a message too long for a data line one byte too
// long, and gives checknewalarm's verdict on it: the alert text that refuses
// it, or NULL. now as for checknewalarm.
const char* composenewalarm(int kind, const alarmline* fields, const char* message, const char* now, char* line);

// What appendalarmline and removealarmline did.
const int LISTCHANGED = 0;     // the list on disk now holds the change
const int LISTNOTLOCKED = 1;   // another writer held the data files too long
const int LISTNOTREAD = 2;     // the list could not be read (or its path not formed)
const int LISTNOTWRITTEN = 3;  // the list could not be written
const int LINENOTFOUND = 4;    // the list holds no such line (nothing written)

// Both change the list of a kind of alarm (datafiles.h; path receives its
// path) under the data files' lock: the list's lines are read afresh and
// written back changed, as the panel's save writes a list, with the list's
// own header. On any failure the list stays as it was. Each gives one of the
// values above. appendalarmline adds line at the end (a missing list is made
// with that one line); removealarmline removes the first line equal to line.
int appendalarmline(int kind, const char* line, char* path);
int removealarmline(int kind, const char* line, char* path);

// A new alarm line and the checks it must pass before a list takes it: the
// panel's Create composes the line from its fields, the command line's --add
// is given it whole, and both refuse it with the same alert texts, checked in
// the same order (an empty message, a line too long, a weekly alarm without
// a day, a date or time that does not exist, a simple alarm that is not after
// the current minute).
// newalarmkind tells by its layout which list a whole line is for, its date
// fields only being digits; checknewalarm gives the alert text that refuses
// it, or NULL.
extern const char EMPTYMESSAGE[];    // "Cannot create a new alert. The message is empty."
extern const char TOOLONGMESSAGE[];  // "Cannot create a new alert. The message is too long."
extern const char NODATEMESSAGE[];   // "Cannot create a new alert. The date does not exist."
extern const char PASTMESSAGE[];     // "Cannot create a new alert for the past.\nPlease provide a future time."
// The panel's weekly page tells a Create without a chosen day by this text too.
const char NODAYMESSAGE[] = "Cannot create a new alert. Please choose at least one day of the week.";

// The layouts of the alarm lines, as a message naming them shows them.
extern const char LAYOUTSDESCRIPTION[];

// The kind (KINDSINGLE, KINDMONTHLY, KINDANNUAL or KINDWEEKLY of datafiles.h)
// whose layout line has: its date fields (a weekly line's days may be none),
// then " - ", then the message (which may be empty); -1 for a line of no layout, or one holding a carriage return or
// line feed.
int newalarmkind(const char* line);
// The alert text that refuses line of kind as a new alarm, NULL when it is
// accepted. now: the current minute ("YYYY-MM-DD HH:MM"), for the check of the past.
const char* checknewalarm(int kind, const char* line, const char* now);

#endif
