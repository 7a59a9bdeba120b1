// The reminder's sound, through the system's own means: on Linux the event
// "alarm-clock-elapsed" of the desktop's sound theme through libcanberra (the
// sound server where one runs, else ALSA); on Windows the system's sound
// "Notification.Reminder", the one its calendar reminders make, through
// PlaySoundW. soundplayer_posix.cpp and soundplayer_win32.cpp are the two sides.
//
// opensoundplayer makes a player once, and costs nothing much: the sound
// system is reached at the first playremindersound, which starts the sound
// and returns at once while it plays on. stopsound cuts a playing sound
// short; closesoundplayer, as the program ends, stops it and frees the
// player (the end of the process ends what the sound system still holds). None of them ever
// writes anything or ends the program: without a device, a server, a theme or
// a sound that can be decoded, the reminder is silent and works as ever.
#ifndef RUVELLO_SOUNDPLAYER_H
#define RUVELLO_SOUNDPLAYER_H

struct soundplayer;

soundplayer* opensoundplayer();                // NULL only without memory
bool playremindersound(soundplayer* player);   // false when the sound could not start
void stopsound(soundplayer* player);           // nothing when none plays
void closesoundplayer(soundplayer* player);    // just before the program ends; NULL is allowed

#endif
