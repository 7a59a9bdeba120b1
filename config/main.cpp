// ruvelloconfig: the Ruvello configuration panel.
//
// One fixed-size window with a tab for each kind of alarm (annual, monthly,
// weekly and simple), where the user creates, sorts and removes them, and a
// configuration tab, where the user sets how many days ahead annual and
// monthly alarms start to be announced, and exports or imports all the data.
// The list widgets and the two spinners are the panel's copy of this data,
// and every change is written to its data file at once, where the reminder
// service reads it within a minute; there is no save command. At start-up the
// window is shown, the date and time fields are preset from the clock, and
// the configuration and every list are loaded; then the toolkit's event loop runs every user action as a callback,
// and every two seconds the panel reloads what changed on disk meanwhile.
// Closing the window ends the program with status 0. A data file that cannot
// be created, read or written ends it at once with a message and status 1.
// Only one panel runs per user: a second one says so and ends with status 0.
//
// "--export FILE", "--import FILE [--merge]", "--upcoming [DAYS]", "--list",
// "--add LINE", "--remove LINE" and "--help" do their work without a window
// and end (commandline.h); any other arguments only choose
// the panel's look.
#include "commandline.h"
#include "desktop.h"
#include "programs.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>

int main(int argc, char** argv) {
    // A file-size limit must make a write fail, which the writer reports and
    // survives, not kill the program halfway through a save.
    ignorefilesizesignal();
    int status = runprogramarguments(argc, argv);
    if (status != NOTACOMMAND) return status;
    usearialmetrics();
    // Read once, before the first dialog or window is built.
    double scale = readdesktopscale();
    chooselook(argc, scale);
    if (anothercopyisopen()) return 0;
    Fl_Double_Window* window = buildwindow(argc, scale);
    // With a count of 1 the toolkit reads none of the command-line switches.
    window->show(1, argv);
    initfields();
    initfiles();
    watchdatafiles();
    return Fl::run();
}
