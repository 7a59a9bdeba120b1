// ruvellomsgbox, the reminder's message box. The reminder service starts one
// copy for every alarm it announces, with the alarm line as the only
// argument; this program shows that line in a window titled "Ruvello" until
// the user closes it with OK, Enter or Escape. Several copies may be on
// screen at once. Without exactly one argument it prints its usage and ends
// with status 2; without a display it writes the line to standard error, so
// that a session log keeps the reminder, and ends with status 1.
#include "desktop.h"
#include "messagewindow.h"
#include "programs.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <cstdio>

int main(int argc, char** argv) {
    // The line as the service handed it over, in UTF-8, as the toolkit shows text.
    char** arguments = NULL;
    char* line = utf8arguments(argc, argv, &arguments) == 2 ? arguments[1] : NULL;
    if (line == NULL) {
        fputs("usage: ruvellomsgbox \"alarm line\"\n", stderr);
        return 2;
    }
    if (!candisplay()) {
        fprintf(stderr, "%s\n", line);
        return 1;
    }
    usearialmetrics();
    Fl_Window* window = buildmessagewindow(line);
    showabove(window);
    return Fl::run();
}
