#include "settings.h"

#include "alarmlists.h"
#include "datafiles.h"
#include "dialogs.h"
#include "fileformats.h"
#include "window.h"

#include <FL/Fl_Spinner.H>
#include <cstdio>

void loadsettings() {
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0 || createifabsent(path) != 0) displayfilefatalerrorandexit(path);
    FILE* file = openforreading(path);
    if (file == NULL) displayfilefatalerrorandexit(path);
    advancevalues values;
    readpanelconfig(&values, filedatalines, file);
    // Setting a spinner from code runs no callback: loading never writes the file.
    annual_day_adv->value(values.annual);
    monthly_day_adv->value(values.monthly);
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
