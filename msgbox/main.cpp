// ruvellomsgbox, the reminder's message box. The reminder service starts one
// copy for every alarm it announces, with the alarm line as the only
// argument and the minute it announces in the environment (whentext.h);
// this program shows the line's message and when it is due in a window
// titled "Ruvello" (messagewindow.h) until the user closes it or puts it off,
// with the sound the user chose (sounding.h).
// Several copies may be on screen at once. Without exactly one argument it
// prints its usage and ends with status 2; without a display it writes the
// line to standard error and the when-text on a line of its own, so that a
// session log keeps the reminder with its date, and ends with status 1.
#include "desktop.h"
#include "messagewindow.h"
#include "programs.h"
#include "sounding.h"
#include "whentext.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    // The line as the service handed it over, in UTF-8, as the toolkit shows text.
    char** arguments = NULL;
    char* line = utf8arguments(argc, argv, &arguments) == 2 ? arguments[1] : NULL;
    if (line == NULL) {
        fputs("usage: ruvellomsgbox \"alarm line\"\n", stderr);
        return 2;
    }
    // A snooze under a file-size limit fails and says so; it does not end the box.
    ignorefilesizesignal();
    char when[WHENBUFSIZE];
    describenow(line, getenv(DUEVARIABLE), when, sizeof when);
    if (!candisplay()) {
        fprintf(stderr, "%s\n", line);
        if (when[0] != '\0') fprintf(stderr, "%s\n", when);
        return 1;
    }
    usearialmetrics();
    int choice = readsoundchoice();
    double scale = readdesktopscale();
    scaletoolkit(scale);
    Fl_Window* window = buildmessagewindow(line, when, scale);
    showabove(window);
    sounding sound;
    startsounding(&sound, choice);
    int status = Fl::run();
    // Answered: a sound still playing stops with the window.
    stopsounding(&sound);
    return status;
}
