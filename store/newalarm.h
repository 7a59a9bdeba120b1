// A new alarm line and the checks it must pass before a list takes it: the
// panel's Create composes the line from its fields, the command line's --add
// is given it whole, and both refuse it with the same alert texts, checked in
// the same order (an empty message, a line too long, a date that does not
// exist, a simple alarm that is not after the current minute).
//
// Use: newalarmkind tells which list a whole line belongs to by its layout;
// checknewalarm gives the alert text that refuses it, or NULL.
#ifndef RUVELLO_NEWALARM_H
#define RUVELLO_NEWALARM_H

extern const char EMPTYMESSAGE[];    // "Cannot create a new alert. The message is empty."
extern const char TOOLONGMESSAGE[];  // "Cannot create a new alert. The message is too long."
extern const char NODATEMESSAGE[];   // "Cannot create a new alert. The date does not exist."
extern const char PASTMESSAGE[];     // "Cannot create a new alert for the past.\nPlease provide a future time."

// The layouts of the alarm lines, as a message naming them shows them.
extern const char LAYOUTSDESCRIPTION[];

// The kind (KINDSINGLE, KINDMONTHLY or KINDANNUAL of exchange.h) whose
// layout line has: its date fields, then " - ", then the message (which may
// be empty); -1 for a line of no layout, or one holding a carriage return or
// line feed.
int newalarmkind(const char* line);
// The alert text that refuses line of kind as a new alarm, NULL when it is
// accepted. now: the current minute ("YYYY-MM-DD HH:MM"), for the check of the past.
const char* checknewalarm(int kind, const char* line, const char* now);

#endif
