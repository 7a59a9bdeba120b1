#include "window.h"

#include "alarmlists.h"
#include "calendar.h"
#include "desktop.h"
#include "dialogs.h"
#include "importexport.h"
#include "instancelock.h"
#include "settings.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Clock.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Spinner.H>
#include <FL/Fl_Tabs.H>
#include <FL/Fl_Toggle_Button.H>
#include <FL/fl_ask.H>
#include <cstdio>
#include <cstring>

Fl_Hold_Browser* annual_browser = NULL;
Fl_Input* annual_message_text = NULL;
Fl_Spinner* annual_month = NULL;
Fl_Spinner* annual_day = NULL;
Fl_Hold_Browser* monthly_browser = NULL;
Fl_Input* monthly_message_text = NULL;
Fl_Spinner* monthly_day = NULL;
Fl_Hold_Browser* weekly_browser = NULL;
Fl_Input* weekly_message_text = NULL;
Fl_Toggle_Button* weekly_days[WEEKDAYS] = {};
Fl_Spinner* weekly_hour = NULL;
Fl_Spinner* weekly_minute = NULL;
Fl_Hold_Browser* single_browser = NULL;
Fl_Input* single_message_text = NULL;
Fl_Spinner* single_year = NULL;
Fl_Spinner* single_month = NULL;
Fl_Spinner* single_day = NULL;
Fl_Spinner* single_hour = NULL;
Fl_Spinner* single_minute = NULL;
Fl_Spinner* annual_day_adv = NULL;
Fl_Spinner* monthly_day_adv = NULL;
Fl_Choice* reminder_sound = NULL;

namespace {

// Characters of the "HH:MM" that ends a timestamp.
const size_t CLOCKLEN = 5;

const char ALREADYOPEN[] = "The Ruvello configuration panel is already open.";

// The dialogs' text size at scale 1.
const int MESSAGESIZE = 12;

const char FIRSTEXPLANATION[] =
    "Alert notifications start some days in advance before the alarm date. Here you can\n"
    "adjust this number of days, according to your needs. This configuration is split\n"
    "in two parts, for annual and monthly alerts (maybe you are interested in a larger\n"
    "value for annual alerts).";
const char SECONDEXPLANATION[] =
    "All the program data are stored in a safe place (read te manual for more details\n"
    "about where these files and directories are located - it depends on your OS). If\n"
    "you want to make a backup copy or syncronize different PCs, here you can export\n"
    "and import all the application data.";

// The choices of the reminder's sound, by value (configfile.h).
const char* const SOUNDITEMS[] = {"no sound", "a sound when a reminder appears",
                                  "a sound each minute until answered (ten at most)"};

// A label box whose text stands inside it, at its left edge.
Fl_Box* textbox(int x, int y, int w, int h, const char* label) {
    Fl_Box* box = new Fl_Box(x, y, w, h, label);
    box->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    return box;
}

Fl_Button* button(int x, int y, int w, int h, const char* label, Fl_Color colour, Fl_Callback* callback) {
    Fl_Button* made = new Fl_Button(x, y, w, h, label);
    made->labelcolor(colour);
    made->callback(callback);
    return made;
}

Fl_Spinner* spinner(int x, int y, int w, int h, double minimum, double maximum) {
    Fl_Spinner* made = new Fl_Spinner(x, y, w, h);
    made->range(minimum, maximum);
    return made;
}

Fl_Input* messageinput(int x, int y, int w, int h) {
    Fl_Input* input = new Fl_Input(x, y, w, h);
    input->align(FL_ALIGN_LEFT);
    return input;
}

// A tab page; its selection colour is the colour its tab shows when not selected.
Fl_Group* page(const char* caption, bool plastic) {
    Fl_Group* group = new Fl_Group(10, 35, 580, 380, caption);
    group->selection_color(plastic ? FL_DARK3 : FL_DARK2);
    return group;
}

// The list, its Remove and Sort buttons: the same on the four alarm tabs but
// for the browser's height and the callbacks.
Fl_Hold_Browser* listwithbuttons(int browserheight, Fl_Callback* remove, Fl_Callback* sortdesc, Fl_Callback* sortasc) {
    Fl_Hold_Browser* browser = new Fl_Hold_Browser(20, 45, 445, browserheight);
    button(470, 45, 110, 40, "@1+  Remove", FL_DARK_RED, remove);
    button(470, 95, 110, 40, "@2<- Sort", FL_DARK_BLUE, sortdesc);
    button(470, 145, 110, 40, "@8<- Sort", FL_DARK_BLUE, sortasc);
    return browser;
}

// The frame below the list of the annual, monthly and weekly pages, its
// title and its message field, which the page's own fields follow on the
// frame's last row.
Fl_Input* createframe(const char* title) {
    Fl_Box* frame = new Fl_Box(20, 290, 560, 90);
    frame->box(FL_ENGRAVED_FRAME);
    textbox(30, 300, 350, 18, title);
    textbox(30, 325, 100, 20, "message:");
    return messageinput(110, 325, 320, 20);
}

void buildannualpage(Fl_Tabs* tabs, bool plastic) {
    Fl_Group* group = page(" annual alarms ", plastic);
    annual_browser = listwithbuttons(235, cb_remove_annual, cb_sort_desc_annual, cb_sort_asc_annual);
    annual_message_text = createframe("create a new annual alert");
    textbox(30, 350, 80, 20, "month:");
    annual_month = spinner(90, 350, 35, 20, 1, 12);
    textbox(130, 350, 80, 20, " /     day:");
    annual_day = spinner(210, 350, 35, 20, 1, 31);
    button(440, 315, 130, 50, "@+   Create", FL_DARK_GREEN, cb_create_annual);
    group->end();
    // Only the first page gives the tab container its resizable widget.
    tabs->resizable(group);
}

void buildmonthlypage(bool plastic) {
    Fl_Group* group = page(" monthly alarms ", plastic);
    monthly_browser = listwithbuttons(235, cb_remove_monthly, cb_sort_desc_monthly, cb_sort_asc_monthly);
    monthly_message_text = createframe("create a new monthly alert");
    textbox(30, 350, 80, 20, "month day:");
    monthly_day = spinner(120, 350, 35, 20, 1, 31);
    button(440, 315, 130, 50, "@+   Create", FL_DARK_GREEN, cb_create_monthly);
    group->end();
}

// The captions of the day toggles, Monday first.
const char* const DAYCAPTIONS[WEEKDAYS] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
// Each toggle's width: room for the widest caption inside the plastic frame.
const int DAYWIDTH = 38;

void buildweeklypage(bool plastic) {
    Fl_Group* group = page(" weekly alarms ", plastic);
    weekly_browser = listwithbuttons(235, cb_remove_weekly, cb_sort_desc_weekly, cb_sort_asc_weekly);
    weekly_message_text = createframe("create a new weekly alert");
    for (int day = 0; day < WEEKDAYS; day++) {
        weekly_days[day] = new Fl_Toggle_Button(30 + day * DAYWIDTH, 350, DAYWIDTH, 20, DAYCAPTIONS[day]);
        // A chosen day must stand out from the others at a glance.
        weekly_days[day]->selection_color(FL_GREEN);
    }
    textbox(305, 350, 40, 20, "time:");
    weekly_hour = spinner(345, 350, 35, 20, 0, 23);
    weekly_minute = spinner(390, 350, 35, 20, 0, 59);
    button(440, 315, 130, 50, "@+   Create", FL_DARK_GREEN, cb_create_weekly);
    group->end();
}

void buildsimplepage(bool plastic) {
    Fl_Group* group = page(" simple alarms ", plastic);
    single_browser = listwithbuttons(175, cb_remove_single, cb_sort_desc_single, cb_sort_asc_single);
    Fl_Box* frame = new Fl_Box(20, 265, 560, 115);
    frame->box(FL_ENGRAVED_FRAME);
    Fl_Box* title = textbox(30, 275, 350, 18, "create a new alarm");
    title->align(FL_ALIGN_WRAP | FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    textbox(30, 300, 100, 20, "message:");
    single_message_text = messageinput(110, 300, 355, 20);
    textbox(30, 325, 80, 20, "date:");
    // The year's range comes from the clock, in initfields.
    single_year = new Fl_Spinner(70, 325, 60, 20);
    single_month = spinner(140, 325, 35, 20, 1, 12);
    single_day = spinner(185, 325, 35, 20, 1, 31);
    textbox(30, 350, 80, 20, "time:");
    single_hour = spinner(70, 350, 35, 20, 0, 23);
    single_minute = spinner(115, 350, 35, 20, 0, 59);
    Fl_Clock* clock = new Fl_Clock(470, 270, 105, 105);
    clock->box(plastic ? FL_PLASTIC_ROUND_DOWN_BOX : FL_GTK_ROUND_DOWN_BOX);
    button(290, 325, 175, 45, "@+   Create", FL_DARK_GREEN, cb_create_single);
    group->end();
}

void buildconfigurationpage(bool plastic) {
    Fl_Group* group = page(" configuration ", plastic);
    textbox(20, 45, 560, 100, FIRSTEXPLANATION);
    textbox(50, 150, 80, 20, "for annual alerts:");
    annual_day_adv = spinner(180, 150, 35, 20, ANNUALADVANCEMIN, ANNUALADVANCEMAX);
    annual_day_adv->callback(cb_save_settings);
    textbox(320, 150, 80, 20, "for monthly alerts:");
    monthly_day_adv = spinner(450, 150, 35, 20, MONTHLYADVANCEMIN, MONTHLYADVANCEMAX);
    monthly_day_adv->callback(cb_save_settings);
    textbox(20, 190, 560, 100, SECONDEXPLANATION);
    button(30, 300, 160, 50, "@+6filesaveas     Export", FL_DARK_BLUE, cb_export);
    button(340, 300, 160, 50, "@+6fileopen     Import", FL_DARK_RED, cb_import);
    textbox(30, 360, 110, 20, "reminder sound:");
    reminder_sound = new Fl_Choice(140, 360, 420, 20);
    // In the order of the values they stand for, so that an item's index is its value.
    for (const char* item : SOUNDITEMS) reminder_sound->add(item, 0, NULL, NULL, 0);
    reminder_sound->value(DEFAULTSOUND);
    reminder_sound->callback(cb_save_settings);
    group->end();
}

}  // namespace

void chooselook(int argc, double scale) {
    // Only the number of arguments counts; the arguments themselves are never read.
    Fl::scheme(argc == 1 ? "plastic" : "gtk+");
    scaletoolkit(scale);
    fl_message_font(FL_HELVETICA, scaled(MESSAGESIZE, scale));
    // Every dialog carries the product's name in its title bar, like the service's error box.
    fl_message_title_default("Ruvello");
}

bool anothercopyisopen() {
    int state = takeinstancelock("ruvelloconfig");
    if (state == LOCKHELD) {
        fprintf(stderr, "%s\n", ALREADYOPEN);
        // Without a display the toolkit's alert would end the process itself.
        if (candisplay()) showalert(ALREADYOPEN);
        return true;
    }
    if (state == LOCKFAILED) {
        // The panel still opens: keeping the user out would be worse than the
        // small chance of a second copy.
        fprintf(stderr, "Ruvello: cannot make sure that only one configuration panel is open\n");
    }
    return false;
}

Fl_Double_Window* buildwindow(int argc, double scale) {
    bool plastic = argc == 1;
    // Laid out at scale 1 and scaled as a whole once built: every widget is
    // scaled, those added to a page later too. Widgets built without a label
    // size take the toolkit's normal size, which must be its size at scale 1
    // while they are built.
    int normalsize = unscalednormalsize();
    Fl_Double_Window* window = new Fl_Double_Window(600, 400, "Ruvello 2.0 beta - Configuration Panel");
    Fl_Tabs* tabs = new Fl_Tabs(10, 10, 580, 380);
    tabs->box(plastic ? FL_PLASTIC_UP_BOX : FL_GTK_DOWN_BOX);
    tabs->selection_color(plastic ? FL_LIGHT2 : FL_LIGHT1);
    buildannualpage(tabs, plastic);
    buildmonthlypage(plastic);
    buildweeklypage(plastic);
    buildsimplepage(plastic);
    buildconfigurationpage(plastic);
    tabs->end();
    window->end();
    // No resizable widget: the window keeps its size.
    window->resizable(NULL);
    restorenormalsize(normalsize);
    if (scalewidgettree(window, scale) != 0) {
        fprintf(stderr, "Ruvello: no memory to scale the configuration panel; it is shown at its smallest size\n");
    }
    setwindowicon(window, scale);
    return window;
}

alarmpage alarmpageof(int kind) {
    // By kind: simple, monthly, annual, weekly.
    const alarmpage pages[ALARMKINDS] = {
        {single_browser, single_message_text, single_year, single_month, single_day, single_hour, single_minute, NULL},
        {monthly_browser, monthly_message_text, NULL, NULL, monthly_day, NULL, NULL, NULL},
        {annual_browser, annual_message_text, NULL, annual_month, annual_day, NULL, NULL, NULL},
        {weekly_browser, weekly_message_text, NULL, NULL, NULL, weekly_hour, weekly_minute, weekly_days},
    };
    return pages[kind];
}

void initfields() {
    int year, month, day;
    char stamp[STAMPBUFSIZE];
    getdateandstamp(&year, &month, &day, stamp);
    // The time is the stamp's closing "HH:MM", read from the same moment as the date.
    size_t length = strlen(stamp);
    const char* clock = length >= CLOCKLEN ? stamp + length - CLOCKLEN : "00:00";
    int hour = (clock[0] - '0') * 10 + (clock[1] - '0');
    int minute = (clock[3] - '0') * 10 + (clock[4] - '0');
    annual_month->value(month);
    annual_day->value(day);
    monthly_day->value(day);
    single_year->range(year, year + 4);
    single_year->value(year);
    single_month->value(month);
    single_day->value(day);
    single_hour->value(hour);
    single_minute->value(minute);
    weekly_hour->value(hour);
    weekly_minute->value(minute);
}
