// The configuration tab: the two advance values, the reminder's sound and the
// start-up loading.
//
// initfiles runs once, after the window is shown: it sets the two advance
// spinners and the sound's choice from "config.dat" and then loads every
// kind's list (alarmlists.h). From then on cb_save_settings, the callback of
// the spinners and of the choice, rewrites the configuration file with all
// three values whenever one changes, the others as they are on disk when the
// file changed outside the panel.
// watchdatafiles, called once after initfiles, has the panel look every
// WATCHINTERVAL seconds for data files changed on disk and reload them.
#ifndef RUVELLO_SETTINGS_H
#define RUVELLO_SETTINGS_H

// The values' defaults and the spinners' limits.
#include "configfile.h"

class Fl_Widget;

void initfiles();                                   // settings, then every kind's list, each anew
void loadsettings();                                // sets the spinners and the sound's choice from the file; writes nothing
void cb_save_settings(Fl_Widget* widget, void* data);  // writes the settings; widget: the control changed
// Sets the controls from the file when it changed on disk, all but moved
// (NULL for none); true when it did.
bool refreshsettings(Fl_Widget* moved);
void watchdatafiles();                              // from now on, every WATCHINTERVAL seconds: the settings and lists reloaded that changed

#endif
