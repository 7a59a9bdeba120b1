// ruvellomsgbox, the reminder's message box. The reminder service starts one
// copy for every alarm it announces, with the alarm line as the only
// argument and the minute it announces in the environment (whentext.h);
// this program shows the line's message and when it is due in a window
// titled "Ruvello" (messagewindow.h) until the user closes it or puts it off.
// Several copies may be on screen at once. Without exactly one argument it
// prints its usage and ends with status 2; without a display it writes the
// line to standard error and the when-text on a line of its own, so that a
// session log keeps the reminder with its date, and ends with status 1.
#include "desktop.h"
#include "messagewindow.h"
#include "reminder.h"
#include "whentext.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <FL/fl_utf8.h>
#include <cwchar>
#include <windows.h>
#include <shellapi.h>

namespace {

// The line as the service handed it over: in UTF-16 on the wide command line,
// whose every character the ANSI arguments could not keep. Given in UTF-8, as
// the toolkit shows text, in memory of the caller's; NULL unless the command
// line holds exactly one argument (or when memory runs out).
char* lineargument() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL) return NULL;
    char* line = NULL;
    if (count == 2) {
        unsigned length = (unsigned)wcslen(arguments[1]);
        unsigned size = fl_utf8fromwc(NULL, 0, arguments[1], length) + 1;
        line = (char*)malloc(size);
        if (line != NULL) fl_utf8fromwc(line, size, arguments[1], length);
    }
    LocalFree(arguments);
    return line;
}

}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    char* line = lineargument();
#else
    char* line = argc == 2 ? argv[1] : NULL;
#endif
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
    Fl_Window* window = buildmessagewindow(line, when);
    showabove(window);
    return Fl::run();
}
