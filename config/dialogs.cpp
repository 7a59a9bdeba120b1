#include "dialogs.h"

#include "datafiles.h"
#include "desktop.h"

#include <FL/fl_ask.H>
#include <cstdio>
#include <cstdlib>

namespace {

// Room for any dialog text of the configurator with every '@' doubled: the
// longest is the fatal message with a path of up to 511 characters.
const int DIALOGBUFSIZE = 4096;
// Room for the fatal message: its fixed text and a path of PATHBUFSIZE.
const int FATALBUFSIZE = PATHBUFSIZE + 128;

dialoganswerer currentanswerer = NULL;

// Puts text into shown with '@' doubled. A text too long for the buffer (none
// of ours is) is replaced by a short notice: half a text could end in a lone
// '@' and be shown as a symbol.
void quote(const char* text, char* shown) {
    if (quoteforlabel(text, shown, DIALOGBUFSIZE) != 0) {
        snprintf(shown, DIALOGBUFSIZE, "%s", "(text too long to show)");
    }
}

}  // namespace

void setdialoganswerer(dialoganswerer answerer) { currentanswerer = answerer; }

void showalert(const char* text) {
    char shown[DIALOGBUFSIZE];
    quote(text, shown);
    if (currentanswerer != NULL) {
        currentanswerer(DIALOGALERT, shown);
        return;
    }
    fl_alert("%s", shown);
}

int askchoice(const char* question, const char* button0, const char* button1, const char* button2) {
    char shown[DIALOGBUFSIZE];
    quote(question, shown);
    if (currentanswerer != NULL) return currentanswerer(DIALOGCHOICE, shown);
    return fl_choice("%s", button0, button1, button2, shown);
}

void showproductmessage(const char* text) {
    char shown[DIALOGBUFSIZE];
    quote(text, shown);
    if (currentanswerer != NULL) {
        char whole[DIALOGBUFSIZE + 16];
        int written = snprintf(whole, sizeof whole, "%s - %s", "Ruvello", shown);
        if (written < 0 || written >= (int)sizeof whole) whole[0] = '\0';
        currentanswerer(DIALOGMESSAGE, whole);
        return;
    }
    fl_message("%s - %s", "Ruvello", shown);
}

void displayfilefatalerrorandexit(const char* path) {
    char text[FATALBUFSIZE];
    int written = snprintf(text, sizeof text, "FATAL ERROR\nCannot create or access the following file\n   \"%s\"", path);
    if (written < 0 || written >= (int)sizeof text) {
        // Paths are shorter than PATHBUFSIZE; should one not be, the cut text is still told.
        text[sizeof text - 1] = '\0';
    }
    fputs(text, stderr);
    fflush(stderr);
    // Without a display the toolkit's dialog would end the process with its own message.
    if (candisplay()) showproductmessage(text);
    exit(1);
}
