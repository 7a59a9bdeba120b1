// When a reminder is due, in words, for the box to show under its message.
//
// A simple alarm is named by its minute ("today at 14:30", "tomorrow at
// 14:30", "on Thursday 24 December at 14:30"), and when it is shown late, as
// after the service caught it up, as the minute it was due ("was due at 18:05
// on Tuesday 8 December"). A weekly alarm is named so by the minute it was
// announced for. A monthly or annual alarm is named by its date:
// "today", "tomorrow", "in 15 days, on Thursday 24 December", or "was on
// Tuesday 5 January" for one whose date passed. A date in another year than
// now's has the year after the month. Names are English whatever the locale.
//
// The service hands the box the minute it announces in the environment
// variable DUEVARIABLE (alarmlines.h: "YYYY-MM-DD HH:MM"; a date's with 00:00). Without it,
// or when it is no such minute, the line alone decides: a simple line by its
// minute, a weekly line by its latest minute up to now, a monthly or annual line by its date ahead within the longest
// advance the service allows, else by the date of it that passed.
//
// describewhen works from a given present minute, so that it needs no clock;
// describenow reads the local clock and the environment, as the box does.
#ifndef RUVELLO_WHENTEXT_H
#define RUVELLO_WHENTEXT_H

#include "alarmlines.h"

// Room for any when-text.
const int WHENBUFSIZE = 96;

// 0: text holds when line is due, seen at now; due is the announced minute or
// NULL. 1: the line follows no layout, so no date is guessed (text empty).
int describewhen(const alarmline* line, const localminute* due, const localminute* now, char* text, int size);
// describewhen for the text of a line, at the local clock's present minute,
// with the announced minute read from duetext (NULL or no minute: unknown).
int describenow(const char* line, const char* duetext, char* text, int size);

#endif
