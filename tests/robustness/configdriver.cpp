// The configurator's own code, driven through its callbacks without a person:
// its window is built (not shown), the data files are loaded as at start-up,
// and then one action or an endless series of saves runs. Dialogs are
// answered here: an alert is printed as "alert: <text>", a question is
// answered "Yes", so no dialog ever waits: a fatal file error ends the process
// with its message on standard error and status 1. The toolkit needs a display
// to build the window and to measure list lines (the suite's Xvfb).
//
//   configdriver load                     prints the settings and the four lists as loaded
//   configdriver create <kind> <message>  one Create on annual, monthly or single, valid fields
//   configdriver settings <annual> <monthly>  sets both spinners and saves the settings
//   configdriver sort|remove <kind>       one Sort (ascending) or Remove (line 1) on that list
//   configdriver loop <first>             saves for ever: monthly lines "05 - entry <n>" from
//                                         n = first on, the oldest removed beyond 40 lines,
//                                         and the settings after each one
#include "alarmlists.h"
#include "dialogs.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Spinner.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

int answer(int kind, const char* text) {
    if (kind == DIALOGCHOICE) return 2;
    printf("alert: %s\n", text);
    fflush(stdout);
    return 0;
}

void printlist(const char* name, Fl_Hold_Browser* list) {
    for (int i = 1; i <= list->size(); i++) printf("%s: %s\n", name, list->text(i));
}

Fl_Hold_Browser* listnamed(const char* kind) {
    if (strcmp(kind, "annual") == 0) return annual_browser;
    if (strcmp(kind, "monthly") == 0) return monthly_browser;
    if (strcmp(kind, "single") == 0) return single_browser;
    fprintf(stderr, "configdriver: no list %s\n", kind);
    exit(2);
}

void create(const char* kind, const char* message) {
    time_t now = time(NULL);
    int nextyear = localtime(&now)->tm_year + 1900 + 1;
    annual_month->value(12);
    annual_day->value(24);
    monthly_day->value(5);
    single_year->value(nextyear);
    single_month->value(1);
    single_day->value(2);
    single_hour->value(9);
    single_minute->value(5);
    annual_message_text->value(message);
    monthly_message_text->value(message);
    single_message_text->value(message);
    if (strcmp(kind, "annual") == 0) cb_create_annual(NULL, NULL);
    else if (strcmp(kind, "monthly") == 0) cb_create_monthly(NULL, NULL);
    else if (strcmp(kind, "single") == 0) cb_create_single(NULL, NULL);
    else listnamed(kind);
}

}  // namespace

// A display busy with other tests may refuse a connection for a moment; the
// driver tries for a few seconds before it gives up (the toolkit would not).
void opendisplay() {
    for (int attempt = 0; attempt < 100; attempt++) {
        Display* display = XOpenDisplay(NULL);
        if (display != NULL) {
            fl_open_display(display);
            return;
        }
        usleep(50000);
    }
    fprintf(stderr, "configdriver: cannot open the display\n");
    exit(3);
}

int main(int argc, char** argv) {
    setdialoganswerer(answer);
    opendisplay();
    chooselook(1, 1);
    buildwindow(1, 1);
    initfields();
    initfiles();
    if (argc == 2 && strcmp(argv[1], "load") == 0) {
        printf("annual advance: %d\nmonthly advance: %d\n", (int)annual_day_adv->value(), (int)monthly_day_adv->value());
        printlist("single", single_browser);
        printlist("monthly", monthly_browser);
        printlist("annual", annual_browser);
        printlist("weekly", weekly_browser);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "create") == 0) {
        create(argv[2], argv[3]);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "settings") == 0) {
        annual_day_adv->value(atoi(argv[2]));
        monthly_day_adv->value(atoi(argv[3]));
        cb_save_settings(annual_day_adv, NULL);
        return 0;
    }
    if (argc == 3 && (strcmp(argv[1], "sort") == 0 || strcmp(argv[1], "remove") == 0)) {
        Fl_Hold_Browser* list = listnamed(argv[2]);
        if (strcmp(argv[1], "sort") == 0) {
            if (list == annual_browser) cb_sort_asc_annual(NULL, NULL);
            if (list == monthly_browser) cb_sort_asc_monthly(NULL, NULL);
            if (list == single_browser) cb_sort_asc_single(NULL, NULL);
        } else {
            list->select(1);
            if (list == annual_browser) cb_remove_annual(NULL, NULL);
            if (list == monthly_browser) cb_remove_monthly(NULL, NULL);
            if (list == single_browser) cb_remove_single(NULL, NULL);
        }
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "loop") == 0) {
        char message[64];
        for (long n = atol(argv[2]);; n++) {
            snprintf(message, sizeof message, "entry %ld", n);
            monthly_day->value(5);
            monthly_message_text->value(message);
            cb_create_monthly(NULL, NULL);
            if (monthly_browser->size() > 40) {
                monthly_browser->select(1);
                cb_remove_monthly(NULL, NULL);
            }
            annual_day_adv->value(1 + n % 30);
            monthly_day_adv->value(n % 9);
            cb_save_settings(monthly_day_adv, NULL);
        }
    }
    fprintf(stderr, "usage: configdriver load | create <kind> <message> | settings <a> <m> | sort|remove <kind> | loop <first>\n");
    return 2;
}
