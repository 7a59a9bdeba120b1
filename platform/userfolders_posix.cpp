// Where the user's folders are on Linux.
#include "userfolders.h"

#include <FL/Fl_Preferences.H>
#include <cstdio>
#include <cstdlib>

const char* homefolder() {
    const char* home = getenv("HOME");
    return home != NULL && home[0] != '\0' ? home : NULL;
}

bool datafolderneedshome() { return true; }

bool userdatafolder(char* folder, int size) {
    if (size <= 0) return false;
    folder[0] = '\0';
    Fl_Preferences preferences(Fl_Preferences::USER, "ruvello", "config");
    return preferences.getUserdataPath(folder, size) != 0;
}

bool statebasefolder(char* base, int basesize) {
    // A relative XDG_STATE_HOME is to be ignored.
    const char* state = getenv("XDG_STATE_HOME");
    int written;
    if (state != NULL && state[0] == '/') {
        written = snprintf(base, (size_t)basesize, "%s", state);
    } else {
        const char* home = homefolder();
        if (home == NULL) return false;
        written = snprintf(base, (size_t)basesize, "%s/.local/state", home);
    }
    return written >= 0 && written < basesize;
}

const char* runtimefolder() {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    return runtime != NULL && runtime[0] != '\0' ? runtime : NULL;
}
