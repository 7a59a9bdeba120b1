// The present moment and the one step of calendar arithmetic the system needs.
//
// gettimestamp gives the current local minute as the 16-character text
// "YYYY-MM-DD HH:MM", whose byte order is time order; simple alarm lines begin
// with the same text. getdate gives today's local date; getdateandstamp gives
// both from one reading of the clock, so they never straddle a midnight.
// formatnow writes the present local moment in any other layout (a file
// name's date, say), read from the same clock.
// addoneday walks a date forward across month ends, year ends and leap days;
// stampminutes turns a minute stamp into a count of minutes, so that two
// stamps can be told apart by how far apart they lie.
// daynumber and datefromdaynumber count days, for the distance between two
// dates and for walking backwards, and weekday names a date's day of the week.
#ifndef RUVELLO_CALENDAR_H
#define RUVELLO_CALENDAR_H

// Room for a timestamp; every caller supplies this much and all of it is written.
const int STAMPBUFSIZE = 128;
// Characters in a timestamp.
const int STAMPLEN = 16;
// Minutes in a day of the calendar (a day of the local clock may have more or fewer).
const int MINUTESPERDAY = 24 * 60;

void gettimestamp(char* text);                  // text: the timestamp, then zeros to STAMPBUFSIZE
// Returns once the local minute differs from stamp (the service's cycle's):
// at the start of the next minute, or at once after a scan that ran into it.
void waitfornextminute(const char* stamp);
void getdate(int* year, int* month, int* day);  // today's local date, month 1-12, day 1-31
// getdate and gettimestamp at one same moment; gives that moment as seconds since 1970 in UTC.
long long getdateandstamp(int* year, int* month, int* day, char* stamp);
// 0: text holds the present local moment laid out by the strftime format; 1: text too small (then empty).
int formatnow(const char* format, char* text, int size);
void addoneday(int* year, int* month, int* day);  // the following day; month must be 1-12
bool isleapyear(int year);                      // true for Gregorian leap years
int daysinmonth(int year, int month);           // 28 to 31 for month 1-12, 0 for any other month
// True when the first 16 characters of text are a minute that a clock can
// show: a simple alarm line can fall between two scanned minutes only then,
// just as only such a line can equal a scanned minute.
bool isrealstamp(const char* text);
// Minutes since 1970 of the minute that a stamp (or a simple alarm line)
// begins with, as wall-clock time; only for texts that isrealstamp accepts.
long long stampminutes(const char* stamp);
// The count characters of text from position start read as a decimal number;
// only for characters that are all digits (a stamp's or a line's fields).
int digitsat(const char* text, int start, int count);
long long daynumber(int year, int month, int day);  // days since 1970-01-01 (negative before it) of a real date
void datefromdaynumber(long long number, int* year, int* month, int* day);  // the date that daynumber gives number for
int weekday(long long number);                  // the day of the week of day number: 0 Monday to 6 Sunday

#endif
