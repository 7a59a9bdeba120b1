#include "sounding.h"

#include "configfile.h"
#include "datafiles.h"
#include "soundplayer.h"
#include "soundturns.h"

#include <FL/Fl.H>
#include <cstdio>
#include <ctime>

namespace {

// Plays the sound when it is this window's turn, and counts the sound it
// heard, whoever made it.
void taketurn(sounding* state, bool appearing) {
    long long now = (long long)time(NULL);
    long long sounded = state->lastsound;
    if (takesoundturn(appearing, now, &sounded)) {
        if (state->player == NULL) state->player = opensoundplayer();
        playremindersound(state->player);
    }
    if (sounded != state->lastsound && sounded != 0) {
        state->heard++;
        state->lastsound = sounded;
    }
}

void cb_repeat_sound(void* data);

// The next look at the log, for a window that repeats until it heard all its sounds.
void nextturn(sounding* state) {
    if (state->choice != SOUNDREPEAT || state->heard >= SOUNDTIMESMAX) return;
    Fl::add_timeout(soundcheckdelay(state->lastsound, (long long)time(NULL)), cb_repeat_sound, state);
}

void cb_repeat_sound(void* data) {
    taketurn((sounding*)data, false);
    nextturn((sounding*)data);
}

void cb_start_sound(void* data) {
    taketurn((sounding*)data, true);
    nextturn((sounding*)data);
}

}  // namespace

int readsoundchoice() {
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0) return DEFAULTSOUND;
    FILE* file = openforreading(path);
    advancevalues values;
    readpanelconfig(&values, file == NULL ? nodatalines : filedatalines, file);
    if (file != NULL) fclose(file);
    return values.sound;
}

void startsounding(sounding* state, int choice) {
    state->choice = choice;
    state->player = NULL;
    state->heard = 0;
    state->lastsound = 0;
    if (choice == SOUNDNONE) return;
    // The window's map request leaves now; the sound starts in the first
    // turn of the event loop, after it.
    Fl::flush();
    Fl::add_timeout(0.0, cb_start_sound, state);
}

void stopsounding(sounding* state) {
    Fl::remove_timeout(cb_start_sound, state);
    Fl::remove_timeout(cb_repeat_sound, state);
    stopsound(state->player);
    closesoundplayer(state->player);
    state->player = NULL;
}
