// The configurator's window: its look, its five tabs with every widget on
// them, and the presetting of the date and time fields.
//
// main calls, in this order: runcommandline (commandline.h; --export and
// --import end there), usearialmetrics and readdesktopscale (desktop.h),
// chooselook (scheme, the toolkit's sizes and the dialog font at that scale),
// then anothercopyisopen (a second copy stops there), buildwindow at the same
// scale, show(1, argv) on the window it gives, initfields, initfiles and
// watchdatafiles (settings.h) and Fl::run. The rest
// of the configurator reaches the widgets it works on through the
// globals below, set once by buildwindow.
#ifndef RUVELLO_WINDOW_H
#define RUVELLO_WINDOW_H

#include "datafiles.h"

class Fl_Choice;
class Fl_Double_Window;
class Fl_Hold_Browser;
class Fl_Input;
class Fl_Spinner;
class Fl_Toggle_Button;

// The days of the week, Monday to Sunday, each a toggle on the weekly page.
const int WEEKDAYS = 7;

extern Fl_Hold_Browser* annual_browser;
extern Fl_Input* annual_message_text;
extern Fl_Spinner* annual_month;
extern Fl_Spinner* annual_day;
extern Fl_Hold_Browser* monthly_browser;
extern Fl_Input* monthly_message_text;
extern Fl_Spinner* monthly_day;
extern Fl_Hold_Browser* weekly_browser;
extern Fl_Input* weekly_message_text;
extern Fl_Toggle_Button* weekly_days[WEEKDAYS];  // Monday first
extern Fl_Spinner* weekly_hour;
extern Fl_Spinner* weekly_minute;
extern Fl_Hold_Browser* single_browser;
extern Fl_Input* single_message_text;
extern Fl_Spinner* single_year;
extern Fl_Spinner* single_month;
extern Fl_Spinner* single_day;
extern Fl_Spinner* single_hour;
extern Fl_Spinner* single_minute;
extern Fl_Spinner* annual_day_adv;
extern Fl_Spinner* monthly_day_adv;
extern Fl_Choice* reminder_sound;  // its value is the sound's (configfile.h)

// One kind's page as the panel's work on its list needs it: the list, the
// message field and the create fields. A field the page lacks is NULL; only
// the weekly page has day toggles (WEEKDAYS of them, Monday first).
struct alarmpage {
    Fl_Hold_Browser* list;
    Fl_Input* message;
    Fl_Spinner* year;
    Fl_Spinner* month;
    Fl_Spinner* day;
    Fl_Spinner* hour;
    Fl_Spinner* minute;
    Fl_Toggle_Button** days;
};
// The page of a kind of alarm (datafiles.h), once buildwindow has built it.
alarmpage alarmpageof(int kind);

// Plastic scheme for no arguments, gtk+ for any; dialogs in Helvetica 12,
// that and the toolkit's own sizes multiplied by scale (desktop.h).
void chooselook(int argc, double scale);
bool anothercopyisopen();               // true when another configurator of this user runs (it was told so)
// The window with all its widgets and its icon, not yet shown: 600 by 400
// pixels at scale 1, every position, size and font multiplied by scale.
Fl_Double_Window* buildwindow(int argc, double scale);
void initfields();                      // presets the date and time spinners from the local clock

#endif
