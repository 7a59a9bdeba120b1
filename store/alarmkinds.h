// The kinds of alarm, one row each in one table: what every part of the
// system that goes over the kinds walks, so that a new kind is one row (its
// layout's reader and composer, its due rule) and its page in the panel.
//
// ALARMKINDTABLE holds the rows by kind (KINDSINGLE, KINDMONTHLY, KINDANNUAL,
// KINDWEEKLY of datafiles.h), and that order is every order the system shows:
// the layouts are tried in it (a line's layout is the first it follows), the
// lists are read, created and exported in it, and the service announces in
// it: the kinds due in minutes (simple and weekly) together in minute order,
// the simple ones first within a minute, then the kinds due on dates (monthly,
// then annual). The data files keep their own table (DATAFILETABLE): a kind's
// row names its list's row there.
//
// Typical use, announcing the lines of every kind due on dates:
//   for (const alarmkind& kind : ALARMKINDTABLE)
//       if (kind.daydue != NULL) ... kind.daydue(line, &window, &date) ...
#ifndef RUVELLO_ALARMKINDS_H
#define RUVELLO_ALARMKINDS_H

#include "alarmlines.h"
#include "configfile.h"
#include "duerules.h"

// Recognises a kind's layout at the start of line: the length of its date and
// separator with the fields in at (and a weekly line's days in days), or 0
// when line does not follow it. A message must follow the separator.
typedef int (*layoutreader)(const char* line, localminute* at, int* days);
// Tells whether line has a layout's form, its fields being digits whatever
// their values: the length of its fields and separator, else 0.
typedef int (*layoutshape)(const char* line);
// Writes the date part of a line of the layout, separator included, from
// fields (at and days) into text (size bytes): its length, or -1 when it does
// not fit.
typedef int (*layoutprefix)(const alarmline* fields, char* text, int size);
// Due in minutes (duerules.h): true when line is due in a minute after the
// minute after and at or before upto (with after NULL: in upto itself); due
// (MINUTEBUFSIZE bytes) then receives the latest such minute.
typedef bool (*minuterule)(const char* line, const char* after, const char* upto, char* due);
// Due on dates (duerules.h): true when line's date is in window; due (may be NULL) receives it.
typedef bool (*dayrule)(const char* line, const windowdates* window, calendardate* due);

struct alarmkind {
    int datafile;            // the row of DATAFILETABLE that holds the kind's list
    const char* section;     // the heading of its section in an export: "[simple alarms]"
    const char* noun;        // how counts and messages name it: "simple"
    int layout;              // LAYOUTSIMPLE and the others (alarmlines.h)
    layoutshape shape;
    layoutreader read;
    layoutprefix prefix;
    minuterule minutedue;    // for a kind due in minutes, else NULL
    dayrule daydue;          // for a kind due on dates, else NULL
    int advancevalues::*advance;  // a kind due on dates: its advance value; else NULL
};

extern const alarmkind ALARMKINDTABLE[ALARMKINDS];

// The kind whose list the data file of that number is, KINDSETTINGS for the configuration.
int kindofdatafile(int number);

#endif
