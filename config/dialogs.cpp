#include "dialogs.h"

#include "datafiles.h"
#include "desktop.h"
#include "fileaccess.h"

#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Room for any dialog text of the configurator with every '@' doubled: the
// longest is the fatal message with a path of up to 511 characters.
const int DIALOGBUFSIZE = 4096;
// Room for the fatal message: its fixed text and a path of PATHBUFSIZE.
const int FATALBUFSIZE = PATHBUFSIZE + 128;

dialoganswerer currentanswerer = NULL;
fileanswerer currentfileanswerer = NULL;

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

void setfileanswerer(fileanswerer answerer) { currentfileanswerer = answerer; }

int choosefile(bool saving, const char* title, const char* proposed, char* path, int pathsize) {
    if (currentfileanswerer != NULL) return currentfileanswerer(saving, proposed, path, pathsize);
    // The toolkit's own file dialog, which stands in where the system offers
    // none (on Linux without GTK), is built with the chooser and laid out for
    // the normal size of scale 1: built at that size it stays whole, if small,
    // on a scaled desktop, where the scaled size would cut its texts. A
    // system's dialog follows the desktop's scale by itself; a question the
    // dialog asks (replace a file?) comes later, at the scaled size.
    int normalsize = unscalednormalsize();
    Fl_Native_File_Chooser chooser;
    restorenormalsize(normalsize);
    chooser.title(title);
    chooser.type(saving ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE : Fl_Native_File_Chooser::BROWSE_FILE);
    if (saving) {
        // The proposal is a folder and a name; the dialog asks before it
        // lets a chosen file be replaced.
        chooser.options(Fl_Native_File_Chooser::SAVEAS_CONFIRM | Fl_Native_File_Chooser::NEW_FOLDER);
        char folder[DIALOGBUFSIZE];
        int written = snprintf(folder, sizeof folder, "%s", proposed);
        char* slash = lastseparator(folder);
        if (written > 0 && written < (int)sizeof folder && slash != NULL) {
            chooser.preset_file(slash + 1);
            slash[1] = '\0';
            chooser.directory(folder);
        }
    } else {
        chooser.directory(proposed);
    }
    if (chooser.show() != 0 || chooser.filename() == NULL || chooser.filename()[0] == '\0') return 1;
    int written = snprintf(path, (size_t)pathsize, "%s", chooser.filename());
    if (written < 0 || written >= pathsize) {
        showalert("The path of the chosen file is too long.");
        return 1;
    }
    return 0;
}

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

namespace {

void composefatalerror(char* text, int size, const char* path) {
    // Paths are shorter than PATHBUFSIZE; should one not be, the cut text is still told.
    composefileerror(PANELFILEERROR, path, text, size);
}

}  // namespace

void displayfilefatalerrorandexit(const char* path) {
    char text[FATALBUFSIZE];
    composefatalerror(text, sizeof text, path);
    fputs(text, stderr);
    fflush(stderr);
    // Without a display the toolkit's dialog would end the process with its own message.
    if (candisplay()) showproductmessage(text);
    exit(1);
}
