#include "importexport.h"

#include "alarmkinds.h"
#include "alarmlists.h"
#include "commandline.h"
#include "calendar.h"
#include "datafiles.h"
#include "dialogs.h"
#include "exchange.h"
#include "listcommands.h"
#include "settings.h"
#include "userfolders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The folder proposed for an export or an import: the home folder, else the working folder.
const char* proposalfolder() {
    const char* home = homefolder();
    return home != NULL ? home : ".";
}

// Reloads every list and both spinners from the data files after an import:
// each list is filled anew (loadalertlists), never added to.
void showimporteddata() { initfiles(); }

}  // namespace

void cb_export(Fl_Widget*, void*) {
    char date[COUNTSBUFSIZE];
    formatnow("%Y-%m-%d", date, sizeof date);
    char proposed[PATHBUFSIZE];
    int written = snprintf(proposed, sizeof proposed, "%s/ruvello-%s.txt", proposalfolder(), date);
    if (written < 0 || written >= (int)sizeof proposed) snprintf(proposed, sizeof proposed, "ruvello-%s.txt", date);
    char path[PATHBUFSIZE];
    if (choosefile(true, "Export all Ruvello data to", proposed, path, sizeof path) != 0) return;
    int counts[ALARMKINDS];
    char failed[PATHBUFSIZE];
    char message[IMPORTMESSAGEBUFSIZE];
    if (exportdata(path, counts, failed) != 0) {
        composemessage(message, "Nothing was exported: the file\n%s\ncannot be %s.%s", failed,
                strcmp(failed, path) == 0 ? "written" : "read", "");
        showalert(message);
        return;
    }
    char described[COUNTSBUFSIZE];
    describecounts(described, sizeof described, counts);
    composemessage(message, "Exported %s and the two advance values to\n%s%s", described, path, "");
    showproductmessage(message);
}

void cb_import(Fl_Widget*, void*) {
    char path[PATHBUFSIZE];
    if (choosefile(false, "Import Ruvello data from", proposalfolder(), path, sizeof path) != 0) return;
    alarmdata data;
    char problem[PROBLEMBUFSIZE];
    char message[IMPORTMESSAGEBUFSIZE];
    if (readexportfile(path, &data, problem, sizeof problem) != 0) {
        composemessage(message, "Nothing was imported. This file is no export that Ruvello can read:\n%s%s%s", problem, "", "");
        showalert(message);
        return;
    }
    int counts[ALARMKINDS];
    countsof(&data, counts);
    char described[COUNTSBUFSIZE];
    describecounts(described, sizeof described, counts);
    composemessage(message,
            "The file\n%s\nholds %s and the two advance values.\n\n"
            "Replace all your alarms and settings with the file's, or add the file's alarms to yours\n"
            "(alarms you already have are not added twice, and your settings stay)?%s",
            path, described, "");
    int answer = askchoice(message, "Cancel", "Add to mine", "Replace all");
    if (answer != 1 && answer != 2) {
        freealarmdata(&data);
        return;
    }
    bool merge = answer == 1;
    importoutcome outcome;
    int result = importdata(&data, merge, &outcome);
    freealarmdata(&data);
    if (result == IMPORTFILEFAILED) displayfilefatalerrorandexit(outcome.failed);
    if (result != IMPORTDONE) {
        describerefusal(message, result, &outcome);
        showalert(message);
        return;
    }
    showimporteddata();
    describeimport(message, path, merge, &outcome);
    showproductmessage(message);
}
