// The four alarm lists: annual, monthly, weekly and simple ("single" in names).
//
// Each list widget is the panel's copy of its alarms in memory, and every
// change is written through to the list's data file at once: the buttons of a
// tab run the cb_ callbacks below, which create, sort or remove a line and save
// the list. Each save first looks at the disk, under the data files' lock:
// when the list's file changed since the panel last read or wrote it (a hand
// edit, an import), the list is reloaded and the user's action is applied to
// what is on disk. Each of them works on its kind's page (alarmpageof,
// window.h) and list file (alarmkinds.h). loadalertlists fills the lists from
// their files at start-up and after an import (the list half of initfiles);
// refreshalertlists, run every two seconds,
// reloads the lists whose files changed. A message is accepted when the whole
// line, date part included, fits in a data line. A data file that cannot be
// used ends the program through displayfilefatalerrorandexit (dialogs.h).
#ifndef RUVELLO_ALARMLISTS_H
#define RUVELLO_ALARMLISTS_H

class Fl_Hold_Browser;
class Fl_Widget;

void cb_create_annual(Fl_Widget* widget, void* data);     // compose, check, append, save
void cb_sort_asc_annual(Fl_Widget* widget, void* data);   // sort ascending, save
void cb_sort_desc_annual(Fl_Widget* widget, void* data);  // sort descending, save
void cb_remove_annual(Fl_Widget* widget, void* data);     // remove the selected line if confirmed, save
void cb_create_monthly(Fl_Widget* widget, void* data);
void cb_sort_asc_monthly(Fl_Widget* widget, void* data);
void cb_sort_desc_monthly(Fl_Widget* widget, void* data);
void cb_remove_monthly(Fl_Widget* widget, void* data);
void cb_create_weekly(Fl_Widget* widget, void* data);
void cb_sort_asc_weekly(Fl_Widget* widget, void* data);
void cb_sort_desc_weekly(Fl_Widget* widget, void* data);
void cb_remove_weekly(Fl_Widget* widget, void* data);
void cb_create_single(Fl_Widget* widget, void* data);
void cb_sort_asc_single(Fl_Widget* widget, void* data);
void cb_sort_desc_single(Fl_Widget* widget, void* data);
void cb_remove_single(Fl_Widget* widget, void* data);

void sort_datebrowser(Fl_Hold_Browser* list, bool ascending);  // byte order of whole lines; equal lines keep their order
// Asks, then removes the selected line (found again by its text) and saves the
// list; a line no longer on disk is not removed, and the user is told so.
// Without a selection or a "Yes" the list is saved as it is.
void remove_item(Fl_Hold_Browser* list);
int savedatebrowser(Fl_Hold_Browser* list, const char* description, const char* path);  // the writer's result, 0 written
void loadalertlists();                     // fills every kind's list from its file, anew (alarmkinds.h)
int refreshalertlists();                   // reloads the lists whose files changed on disk; how many were


#endif
