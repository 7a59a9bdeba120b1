#include "settings.h"

#include "alarmlists.h"
#include "datafiles.h"
#include "dialogs.h"
#include "fileformats.h"
#include "window.h"

#include <FL/Fl_Spinner.H>
#include <cctype>
#include <cstdio>

namespace {

// readadvance stops growing a number here: far beyond both limits, far below
// what an int holds, so a line of any number of digits reads safely.
const int ADVANCEREADCAP = 1000000;

int clamp(int value, int minimum, int maximum) {
    if (value < minimum) return minimum;
    if (value > maximum) return maximum;
    return value;
}

}  // namespace

int readadvance(const char* line) {
    int value = 0;
    for (const char* c = line; isdigit((unsigned char)*c); c++) {
        value = value * 10 + (*c - '0');
        if (value >= ADVANCEREADCAP) return ADVANCEREADCAP;
    }
    return value;
}

void loadsettings() {
    // A value the file does not hold is shown as the service's default, so the
    // tab shows what the service announces with.
    annual_day_adv->value(DEFAULTANNUALADVANCE);
    monthly_day_adv->value(DEFAULTMONTHLYADVANCE);
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0 || createifabsent(path) != 0) displayfilefatalerrorandexit(path);
    FILE* file = fopen(path, "r");
    if (file == NULL) displayfilefatalerrorandexit(path);
    // Setting a spinner from code runs no callback: loading never writes the file.
    char line[LINEBUFSIZE];
    if (readonedataline(file, line)) {
        annual_day_adv->value(clamp(readadvance(line), ANNUALADVANCEMIN, ANNUALADVANCEMAX));
        if (readonedataline(file, line)) {
            monthly_day_adv->value(clamp(readadvance(line), MONTHLYADVANCEMIN, MONTHLYADVANCEMAX));
        }
    }
    bool failed = datareadfailed(file);
    fclose(file);
    if (failed) displayfilefatalerrorandexit(path);
}

void initfiles() {
    loadsettings();
    loadalertlists();
}

void cb_save_settings(Fl_Widget*, void*) {
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0) displayfilefatalerrorandexit(path);
    int annual = (int)annual_day_adv->value();
    int monthly = (int)monthly_day_adv->value();
    if (writeconfigfile(path, annual, monthly) != 0) displayfilefatalerrorandexit(path);
}

void cb_export(Fl_Widget*, void*) { showalert("Sorry, not implemented yet :-)"); }

void cb_import(Fl_Widget*, void*) { showalert("Sorry, not implemented yet :-)"); }
