// Whose turn it is to sound: the reminder windows on screen are separate
// processes, and they agree through the sound log, a small file in the
// runtime folder (the state folder where there is none) that keeps when a
// reminder last appeared and when a sound last started.
//
// A window that sounds calls takesoundturn once when it has appeared
// (appearing true) and plays the sound when told to; a window that repeats
// calls it again (appearing false) after soundcheckdelay seconds, and so on
// while it stays unanswered, counting the sounds it heard by the sound times
// the calls give back, up to SOUNDTIMESMAX. So reminders that appear together
// make one sound, however fast the device plays it, and the unanswered ones
// make one sound a minute together: when the window that sounded last is
// answered, another one takes the next turn. The log is read and rewritten
// under its own lock (instancelock.h). A log that cannot be read, locked or
// written, or that holds a time ahead of the clock (the clock went back),
// never silences a reminder: the window then sounds as if it were alone.
#ifndef RUVELLO_SOUNDTURNS_H
#define RUVELLO_SOUNDTURNS_H

// Reminders that appear within this many seconds of the last one make no sound of their own.
const int SOUNDGATHERSECONDS = 5;
// A window that repeats sounds when the last sound started this long ago.
const int SOUNDREPEATSECONDS = 60;
// The most sounds a window that repeats hears, the first included.
const int SOUNDTIMESMAX = 10;
// The longest wait between two looks at the log, so that a window notices a
// change of the clock or another window's answer within it.
const int SOUNDCHECKSECONDS = 5;

// Seconds until a repeat may be due after a sound that started at sounded,
// at most SOUNDCHECKSECONDS, at least 0.
double soundcheckdelay(long long sounded, long long now);

// The rules on the log. True when this window should sound now.
// sounded: on the way in, when the last sound this window heard started (0
// for none), which counts where the log is missing or older; on the way out,
// when the last sound started (now, when this window is to sound).
bool takesoundturn(bool appearing, long long now, long long* sounded);

#endif
