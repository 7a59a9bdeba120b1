// ruvelloconfig: the Ruvello configuration panel.
//
// One fixed-size window with four tabs. On three of them the user creates,
// sorts and removes annual, monthly and simple alarms; on the fourth the user
// sets how many days ahead annual and monthly alarms start to be announced.
// The list widgets and the two spinners are the only copy of this data in
// memory, and every change is written to its data file at once, where the
// reminder service reads it within a minute; there is no save command. At
// start-up the window is shown, the date and time fields are preset from the
// clock, and the configuration and the three lists are loaded; then the
// toolkit's event loop runs every user action as a callback. Closing the window
// ends the program with status 0. A data file that cannot be created, read or
// written ends it at once with a message and status 1. Only one panel runs per
// user: a second one says so and ends with status 0.
#include "settings.h"
#include "window.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>

int main(int argc, char** argv) {
    chooselook(argc);
    if (anothercopyisopen()) return 0;
    Fl_Double_Window* window = buildwindow(argc);
    // With a count of 1 the toolkit reads none of the command-line switches.
    window->show(1, argv);
    initfields();
    initfiles();
    return Fl::run();
}
