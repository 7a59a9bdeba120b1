// The configuration tab: the two advance values and the start-up loading.
//
// initfiles runs once, after the window is shown: it sets the two advance
// spinners from "config.dat" and then loads the three lists (alarmlists.h).
// From then on cb_save_settings, the callback of both spinners, rewrites the
// configuration file with both values whenever either changes.
#ifndef RUVELLO_SETTINGS_H
#define RUVELLO_SETTINGS_H

class Fl_Widget;

// What the spinners show when the configuration file holds no value for them:
// the values the reminder service announces with in that case.
const int DEFAULTANNUALADVANCE = 7;
const int DEFAULTMONTHLYADVANCE = 3;
// Limits of the two values, as the spinners keep them.
const int ANNUALADVANCEMIN = 1;
const int ANNUALADVANCEMAX = 30;
const int MONTHLYADVANCEMIN = 0;
const int MONTHLYADVANCEMAX = 8;

void initfiles();                                   // settings, then the simple, monthly and annual lists
void loadsettings();                                // sets both advance spinners from the file; writes nothing
int readadvance(const char* line);                  // the line's leading digits as a number, at most 1000000
void cb_save_settings(Fl_Widget* widget, void* data);  // writes both advance values
void cb_export(Fl_Widget* widget, void* data);      // tells that exporting is not there yet
void cb_import(Fl_Widget* widget, void* data);      // tells that importing is not there yet

#endif
