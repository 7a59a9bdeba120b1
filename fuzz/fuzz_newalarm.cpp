// A new alarm composed and checked by the configurator's Create callbacks,
// from spinner values within their ranges and arbitrary message bytes: the
// first failing check gives its alert (an empty message, a line too long, a
// date that does not exist, for a simple alarm a minute not after the current
// one), and otherwise exactly one line is added whose date fields are two
// digits (the year four), followed by " - " and the message with each line
// break turned into a space; it is at most 511 characters, and the saved file
// reads back as exactly that line. Needs a display: the toolkit measures each
// list line on it. Dialogs are answered here and never wait.
#include "alarmlists.h"
#include "calendar.h"
#include "datafiles.h"
#include "datalinemodel.h"
#include "desktop.h"
#include "dialogs.h"
#include "behaviourmodel.h"
#include "fuzzsupport.h"
#include "window.h"

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Spinner.H>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::vector<std::string> alerts;
int thisyear;

int recordalert(int kind, const char* text) {
    fuzzcheck(kind == DIALOGALERT);
    alerts.push_back(text);
    return 0;
}

// The bytes of the data file that getname names.
std::string readdatafile(int (*getname)(char*)) {
    char path[PATHBUFSIZE];
    fuzzcheck(getname(path) == 0);
    return readback(path);
}

std::string twodigits(int value) {
    char text[16];
    snprintf(text, sizeof text, "%02d", value);
    return text;
}

const std::string EMPTY = "Cannot create a new alert. The message is empty.";
const std::string TOOLONG = "Cannot create a new alert. The message is too long.";
const std::string NODATE = "Cannot create a new alert. The date does not exist.";
const std::string PAST = "Cannot create a new alert for the past.\nPlease provide a future time.";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setdialoganswerer(recordalert);
    if (!candisplay()) {
        fprintf(stderr, "fuzz_newalarm needs a display (DISPLAY) for the toolkit's list widgets\n");
        exit(1);
    }
    buildwindow(1, 1);
    time_t now = time(NULL);
    thisyear = localtime(&now)->tm_year + 1900;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 7) return 0;
    int kind = data[0] % 3;
    int month = 1 + data[1] % 12;
    int day = 1 + data[2] % 31;
    int year = thisyear + data[3] % 5;
    int hour = data[4] % 24;
    int minute = data[5] % 60;
    size_t length = strnlen((const char*)data + 6, size - 6);
    std::string message((const char*)data + 6, length);

    annual_browser->clear();
    monthly_browser->clear();
    single_browser->clear();
    alerts.clear();
    std::string prefix;
    Fl_Hold_Browser* list;
    int (*getname)(char*);
    bool exists;
    char before[STAMPBUFSIZE];
    char after[STAMPBUFSIZE];
    gettimestamp(before);
    if (kind == 0) {
        annual_month->value(month);
        annual_day->value(day);
        annual_message_text->value(message.c_str());
        prefix = twodigits(month) + "-" + twodigits(day) + " - ";
        exists = day <= modeldaysinmonth(2000, month);
        list = annual_browser;
        getname = getannualalertfilename;
        cb_create_annual(NULL, NULL);
    } else if (kind == 1) {
        monthly_day->value(day);
        monthly_message_text->value(message.c_str());
        prefix = twodigits(day) + " - ";
        exists = true;
        list = monthly_browser;
        getname = getmonthlyalertfilename;
        cb_create_monthly(NULL, NULL);
    } else {
        single_year->value(year);
        single_month->value(month);
        single_day->value(day);
        single_hour->value(hour);
        single_minute->value(minute);
        single_message_text->value(message.c_str());
        prefix = std::to_string(year) + "-" + twodigits(month) + "-" + twodigits(day) + " " + twodigits(hour) + ":" +
                 twodigits(minute) + " - ";
        exists = day <= modeldaysinmonth(year, month);
        list = single_browser;
        getname = getsinglealertfilename;
        cb_create_single(NULL, NULL);
    }
    gettimestamp(after);

    std::string line = prefix + message;
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    std::string refusal;
    if (message.empty()) refusal = EMPTY;
    else if (line.size() > 511) refusal = TOOLONG;
    else if (!exists) refusal = NODATE;
    if (refusal.empty() && kind == 2) {
        // The minute may change during the call: either side of it is right.
        bool pastbefore = line.compare(0, 16, before, 16) <= 0;
        bool pastafter = line.compare(0, 16, after, 16) <= 0;
        if (pastbefore && pastafter) refusal = PAST;
        else if (pastbefore != pastafter && !alerts.empty()) refusal = PAST;
    }
    if (!refusal.empty()) {
        fuzzcheck(alerts.size() == 1 && alerts[0] == refusal);
        fuzzcheck(list->size() == 0);
        return 0;
    }
    fuzzcheck(alerts.empty());
    fuzzcheck(list->size() == 1);
    fuzzcheck(line == list->text(1));
    std::string bytes = readdatafile(getname);
    fuzzcheck(modeldatalines(bytes.data(), bytes.size()) == std::vector<std::string>{line});
    return 0;
}
