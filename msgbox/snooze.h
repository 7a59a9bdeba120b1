// Putting a reminder off: "Remind me again" after one of a few delays, as a
// new simple alarm at the chosen minute with the message of the shown line.
//
// The delays in minutes count from the real time and are then turned into
// local time, so the new minute is one the clock will show, across midnight,
// a month's end and both changes of daylight saving time. "Tomorrow at this
// time" is the same local hour and minute on the next date, or on a day
// where that minute does not exist, the first minute after the gap.
//
// Typical use: list the choices with snoozelabel(0 .. SNOOZECHOICES - 1),
// preselect DEFAULTSNOOZE, and on Snooze call snoozereminder with the line
// the box was given and the present moment.
#ifndef RUVELLO_SNOOZE_H
#define RUVELLO_SNOOZE_H

#include "alarmlines.h"

const int SNOOZECHOICES = 6;
const int DEFAULTSNOOZE = 1;

const char* snoozelabel(int choice);  // the choice's text for the menu
// 0: minute holds the local minute that choice puts an alarm off to from the
// moment now (seconds since 1970). 1: the local clock gave no such minute.
int snoozeminute(int choice, long long now, localminute* minute);
// Adds the simple alarm for choice, from now, holding the message of line (the
// whole line when it follows no layout) to the list of simple alarms; path
// receives the list's path. Gives appendalarmline's result (alarmlines.h);
// LISTNOTWRITTEN when no minute could be made.
int snoozereminder(const char* line, int choice, long long now, char* path);

#endif
