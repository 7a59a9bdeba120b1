// ruvellomsgbox, the reminder's message box. The reminder service starts one
// copy for every alarm it announces, with the alarm line as the only
// argument; this program shows that line in a window titled "Ruvello" until
// the user closes it with OK, Enter or Escape. Several copies may be on
// screen at once. Without exactly one argument it prints its usage and ends
// with status 2; without a display it writes the line to standard error, so
// that a session log keeps the reminder, and ends with status 1.
#include "desktop.h"
#include "messagewindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <cstdio>

#ifdef _WIN32
#include <FL/fl_utf8.h>
#include <cstdlib>
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
    if (!candisplay()) {
        fprintf(stderr, "%s\n", line);
        return 1;
    }
    usearialmetrics();
    Fl_Window* window = buildmessagewindow(line);
    showabove(window);
    return Fl::run();
}
