// Export and Import on the configuration tab, and the same from the command
// line for scripts and backups.
//
// cb_export asks for a file (proposing "ruvello-YYYY-MM-DD.txt" in the home
// folder) and writes all the data there; cb_import asks for an export, checks
// it whole, asks whether to replace the data or add the file's alarms, and
// then shows the new data. The file format and the all-or-nothing import are
// the store's (exchange.h).
// The command-line forms of both are commandline.h's.
#ifndef RUVELLO_IMPORTEXPORT_H
#define RUVELLO_IMPORTEXPORT_H

class Fl_Widget;

void cb_export(Fl_Widget* widget, void* data);  // asks for a file and exports to it
void cb_import(Fl_Widget* widget, void* data);  // asks for a file, checks it, asks how, imports it

#endif
