// ruvelloconfig: the Ruvello configuration panel.
//
// One fixed-size window with four tabs. On three of them the user creates,
// sorts and removes annual, monthly and simple alarms; on the fourth the user
// sets how many days ahead annual and monthly alarms start to be announced,
// and exports or imports all the data. The list widgets and the two spinners
// are the panel's copy of this data, and every change is written to its data
// file at once, where the reminder service reads it within a minute; there is
// no save command. At start-up the window is shown, the date and time fields
// are preset from the clock, and the configuration and the three lists are
// loaded; then the toolkit's event loop runs every user action as a callback,
// and every two seconds the panel reloads what changed on disk meanwhile.
// Closing the window ends the program with status 0. A data file that cannot
// be created, read or written ends it at once with a message and status 1.
// Only one panel runs per user: a second one says so and ends with status 0.
//
// "--export FILE", "--import FILE [--merge]" and "--help" do their work
// without a window and end (importexport.h); any other arguments only choose
// the panel's look.
#include "desktop.h"
#include "importexport.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <vector>
#include <string>
#endif

namespace {

#ifdef _WIN32
// The command line as the user typed it, in UTF-8: the narrow arguments would
// lose every character outside the system's code page. Messages of the
// command-line forms go to the console the program was started from.
int runwidecommandline() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == NULL) return NOTACOMMAND;
    std::vector<std::string> arguments;
    for (int i = 0; i < count; i++) {
        int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, NULL, 0, NULL, NULL);
        std::string argument(size > 0 ? (size_t)size : 1, '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &argument[0], size, NULL, NULL);
        argument.resize(strlen(argument.c_str()));
        arguments.push_back(argument);
    }
    LocalFree(wide);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(NULL);
    if (count < 2 || arguments[1].compare(0, 2, "--") != 0) return NOTACOMMAND;
    // A program without a console of its own writes to its parent's, unless
    // its output has been redirected to a file or pipe already.
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if ((error == NULL || error == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        freopen("CONOUT$", "w", stderr);
        freopen("CONOUT$", "w", stdout);
    }
    return runcommandline(count, argv.data());
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    // A file-size limit must make a write fail, which the writer reports and
    // survives, not kill the program halfway through a save.
    signal(SIGXFSZ, SIG_IGN);
    int status = runcommandline(argc, argv);
#else
    int status = runwidecommandline();
#endif
    if (status != NOTACOMMAND) return status;
    usearialmetrics();
    chooselook(argc);
    if (anothercopyisopen()) return 0;
    Fl_Double_Window* window = buildwindow(argc);
    // With a count of 1 the toolkit reads none of the command-line switches.
    window->show(1, argv);
    initfields();
    initfiles();
    watchdatafiles();
    return Fl::run();
}
