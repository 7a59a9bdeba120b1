#include "settings.h"

#include "alarmlists.h"
#include "datafiles.h"
#include "dialogs.h"
#include "diskwatch.h"
#include "fileformats.h"
#include "instancelock.h"
#include "window.h"

#include <FL/Fl.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Spinner.H>
#include <cerrno>
#include <cstdio>

namespace {

// Reads the configuration file at path as the panel reads it into values.
// 0, or 1 when it cannot be read. A file that is not there gives the defaults.
int readpanelsettings(const char* path, advancevalues* values) {
    FILE* file = openforreading(path);
    if (file == NULL) {
        if (errno != ENOENT) return 1;
        readpanelconfig(values, nodatalines, NULL);
        notemissingfile(&panel_disk, DATACONFIG);
        return 0;
    }
    readpanelconfig(values, filedatalines, file);
    bool failed = datareadfailed(file);
    if (!failed) notereadfile(&panel_disk, DATACONFIG, file);
    fclose(file);
    return failed ? 1 : 0;
}

}  // namespace

void loadsettings() {
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0 || createifabsent(path) != 0) displayfilefatalerrorandexit(path);
    advancevalues values;
    if (readpanelsettings(path, &values) != 0) displayfilefatalerrorandexit(path);
    // Setting a spinner from code runs no callback: loading never writes the file.
    annual_day_adv->value(values.annual);
    monthly_day_adv->value(values.monthly);
    reminder_sound->value(values.sound);
}

bool refreshsettings(Fl_Widget* moved) {
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0 || !filechanged(&panel_disk, DATACONFIG, path)) return false;
    advancevalues values;
    // A file that cannot be read now is left to the next save, which reports it.
    if (readpanelsettings(path, &values) != 0) return false;
    if (moved != annual_day_adv) annual_day_adv->value(values.annual);
    if (moved != monthly_day_adv) monthly_day_adv->value(values.monthly);
    if (moved != reminder_sound) reminder_sound->value(values.sound);
    return true;
}

void initfiles() {
    loadsettings();
    loadalertlists();
}

void cb_save_settings(Fl_Widget* widget, void*) {
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0) displayfilefatalerrorandexit(path);
    datalock lock;
    if (lockdatafiles(&lock) != 0) {
        fprintf(stderr, "Ruvello: the data files could not be locked; saving all the same\n");
    }
    // The moved control keeps its new value; the others take the values on
    // disk when the file changed since the panel last read or wrote it.
    refreshsettings(widget);
    int annual = (int)annual_day_adv->value();
    int monthly = (int)monthly_day_adv->value();
    int failed = writeconfigfile(path, annual, monthly, reminder_sound->value());
    if (failed == 0) notewrittenfile(&panel_disk, DATACONFIG, path);
    unlockdatafiles(&lock);
    if (failed != 0) displayfilefatalerrorandexit(path);
}

namespace {

void cb_watch(void*) {
    refreshsettings(NULL);
    refreshalertlists();
    Fl::repeat_timeout(WATCHINTERVAL, cb_watch);
}

}  // namespace

void watchdatafiles() { Fl::add_timeout(WATCHINTERVAL, cb_watch); }
