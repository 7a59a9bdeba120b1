#include "soundplayer.h"

#include <windows.h>
#include <mmsystem.h>
#include <cstdlib>

// PlaySoundW keeps one sound per process, so the player holds nothing; it
// exists so that both sides are used alike.
struct soundplayer {
    bool played;
};

soundplayer* opensoundplayer() { return (soundplayer*)calloc(1, sizeof(soundplayer)); }

bool playremindersound(soundplayer* player) {
    if (player == NULL) return false;
    player->played = PlaySoundW(L"Notification.Reminder", NULL, SND_ALIAS | SND_ASYNC) != FALSE;
    return player->played;
}

void stopsound(soundplayer* player) {
    if (player != NULL && player->played) PlaySoundW(NULL, NULL, 0);
}

void closesoundplayer(soundplayer* player) {
    stopsound(player);
    free(player);
}
