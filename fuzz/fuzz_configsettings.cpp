// The configurator's loading of the settings over arbitrary configuration
// file contents: the annual advance from the first data line clamped to 1 to
// 30, the monthly advance from the second clamped to 0 to 8, each read from
// its leading digits without overflow, the reminder's sound from the third
// (0, 1 or 2 when the line begins with one of them and holds no further
// digit, else 1), and the service's defaults 7 and 3 and the sound 1 for a
// value the file does not hold. Loading never writes the file.
#include "datafiles.h"
#include "datalinemodel.h"
#include "behaviourmodel.h"
#include "fuzzsupport.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl_Choice.H>
#include <FL/Fl_Spinner.H>
#include <string>
#include <vector>

namespace {

std::string configpath() {
    char path[PATHBUFSIZE];
    fuzzcheck(getconfigfilename(path) == 0);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A fatal error must end the run with its message, not wait on a dialog.
    unsetenv("DISPLAY");
    annual_day_adv = new Fl_Spinner(0, 0, 40, 20);
    annual_day_adv->range(ANNUALADVANCEMIN, ANNUALADVANCEMAX);
    monthly_day_adv = new Fl_Spinner(0, 0, 40, 20);
    monthly_day_adv->range(MONTHLYADVANCEMIN, MONTHLYADVANCEMAX);
    reminder_sound = new Fl_Choice(0, 0, 40, 20);
    for (const char* item : {"none", "once", "repeat"}) reminder_sound->add(item, 0, NULL, NULL, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = configpath();
    std::string bytes((const char*)data, size);
    FILE* file = fopen(path.c_str(), "wb");
    fuzzcheck(file != NULL);
    fuzzcheck(fwrite(data, 1, size, file) == size);
    fuzzcheck(fclose(file) == 0);
    annual_day_adv->value(1);
    monthly_day_adv->value(1);
    reminder_sound->value(0);
    loadsettings();

    std::vector<std::string> lines = modeldatalines((const char*)data, size);
    long annual = DEFAULTANNUALADVANCE;
    long monthly = DEFAULTMONTHLYADVANCE;
    if (lines.size() >= 1) annual = modelnumber(lines[0]) < 1 ? 1 : modelnumber(lines[0]) > 30 ? 30 : modelnumber(lines[0]);
    if (lines.size() >= 2) monthly = modelnumber(lines[1]) > 8 ? 8 : modelnumber(lines[1]);
    fuzzcheck(annual_day_adv->value() == (double)annual);
    long sound = 1;
    if (lines.size() >= 3 && lines[2][0] >= '0' && lines[2][0] <= '9' && modelnumber(lines[2]) <= 2) {
        sound = modelnumber(lines[2]);
    }
    fuzzcheck(monthly_day_adv->value() == (double)monthly);
    fuzzcheck(reminder_sound->value() == sound);
    fuzzcheck(readback(path.c_str()) == bytes);
    return 0;
}
