// The configuration tab: the two advance values and the start-up loading.
//
// initfiles runs once, after the window is shown: it sets the two advance
// spinners from "config.dat" and then loads the three lists (alarmlists.h).
// From then on cb_save_settings, the callback of both spinners, rewrites the
// configuration file with both values whenever either changes.
#ifndef RUVELLO_SETTINGS_H
#define RUVELLO_SETTINGS_H

// The values' defaults and the spinners' limits.
#include "configfile.h"

class Fl_Widget;

void initfiles();                                   // settings, then the simple, monthly and annual lists
void loadsettings();                                // sets both advance spinners from the file; writes nothing
void cb_save_settings(Fl_Widget* widget, void* data);  // writes both advance values
void cb_export(Fl_Widget* widget, void* data);      // tells that exporting is not there yet
void cb_import(Fl_Widget* widget, void* data);      // tells that importing is not there yet

#endif
