// The reminder window's sound, as the user chose it in "config.dat": none,
// one when the window appears, or that one and again each minute while the
// window stays unanswered, SOUNDTIMESMAX at most (soundturns.h, which also
// makes the windows on screen sound together, not each on its own).
//
// main reads the choice with readsoundchoice before the window is built,
// calls startsounding once the window is shown (the sound never delays it)
// and stopsounding when the window is answered, which cuts a sound that is
// still playing short and ends the repeats. The state is the caller's; it
// lives as long as the window.
#ifndef RUVELLO_SOUNDING_H
#define RUVELLO_SOUNDING_H

struct soundplayer;

struct sounding {
    int choice;                // SOUNDNONE, SOUNDONCE or SOUNDREPEAT (configfile.h)
    soundplayer* player;       // NULL until the first sound
    int heard;                 // sounds this window heard, its own and the others'
    long long lastsound;       // when the last sound it heard started; 0 for none
};

int readsoundchoice();                              // the choice in "config.dat"; the default when it cannot be read
void startsounding(sounding* state, int choice);    // the sound of a window just shown, and its repeats
void stopsounding(sounding* state);                 // silent from now on

#endif
