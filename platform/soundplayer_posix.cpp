#include "soundplayer.h"

#include <alsa/asoundlib.h>
#include <canberra.h>
#include <cstdlib>

struct soundplayer {
    ca_context* context;  // NULL until the first sound, and after a failed start
};

namespace {

// The sound's identity within the player's context, which cancelling names.
const uint32_t REMINDERSOUNDID = 1;

// alsa-lib writes its own errors to standard error unless given a handler:
// a machine without a sound card would have every reminder print them.
void ignorealsaerror(const char*, int, const char*, int, const char*, ...) {}

// A context with its driver open: the default order first (the sound server),
// and where that is not available ALSA, which needs no server.
ca_context* opencontext() {
    const char* const drivers[] = {NULL, "alsa"};
    for (const char* driver : drivers) {
        ca_context* context = NULL;
        if (ca_context_create(&context) != CA_SUCCESS) return NULL;
        if (ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Ruvello", CA_PROP_APPLICATION_ID,
                                    "ruvello", NULL) == CA_SUCCESS &&
            (driver == NULL || ca_context_set_driver(context, driver) == CA_SUCCESS) &&
            ca_context_open(context) == CA_SUCCESS) {
            return context;
        }
        ca_context_destroy(context);
    }
    return NULL;
}

}  // namespace

soundplayer* opensoundplayer() {
    snd_lib_error_set_handler(ignorealsaerror);
    return (soundplayer*)calloc(1, sizeof(soundplayer));
}

bool playremindersound(soundplayer* player) {
    if (player == NULL) return false;
    if (player->context == NULL) player->context = opencontext();
    if (player->context == NULL) return false;
    ca_proplist* properties = NULL;
    if (ca_proplist_create(&properties) != CA_SUCCESS) return false;
    bool started = ca_proplist_sets(properties, CA_PROP_EVENT_ID, "alarm-clock-elapsed") == CA_SUCCESS &&
                   ca_proplist_sets(properties, CA_PROP_EVENT_DESCRIPTION, "Reminder") == CA_SUCCESS &&
                   ca_proplist_sets(properties, CA_PROP_MEDIA_ROLE, "event") == CA_SUCCESS &&
                   ca_context_play_full(player->context, REMINDERSOUNDID, properties, NULL, NULL) == CA_SUCCESS;
    ca_proplist_destroy(properties);
    return started;
}

void stopsound(soundplayer* player) {
    if (player != NULL && player->context != NULL) ca_context_cancel(player->context, REMINDERSOUNDID);
}

void closesoundplayer(soundplayer* player) {
    if (player == NULL) return;
    // Cancelled, the context is not destroyed: destroying it waits for ALSA's
    // playing thread, which goes on to the end of the sound. The player is
    // closed as its program ends, and the end of the process cuts the sound.
    stopsound(player);
    free(player);
}
