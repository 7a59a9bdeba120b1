// The service's decision, line by line, against any date and minute: the
// configuration and one list of each kind are written as data files (any
// bytes; the weekly list last), then three cycles run with a recording launcher:
//   1. the first cycle, at the input's date and minute;
//   2. the same minute again, which must announce nothing;
//   3. a later minute, 1 to 12000 minutes on (a catch-up, or a clock
//      correction beyond the seven days of the catch-up limit), perhaps on a
//      later date.
// What is announced, and in what order, is checked against a plain account
// of the service's decisions (behaviourmodel.h): a simple alarm in its minute
// (and, after the first cycle, each minute passed over since, once, in minute
// order, if the line names a real minute); a weekly line whose fields follow
// its layout in its minute on its days, after the simple lines of that
// minute, and after a gap once, for its latest minute passed, among the
// simple lines by minute; a monthly or annual line once a
// day while the window of today and the advance days holds its day, or its
// month and day, read from its own columns, and once after a gap when its
// date passed and the last day did not see it; the day's memory shared by
// both lists and kept within a date.
#include "calendar.h"
#include "datafiles.h"
#include "datalinemodel.h"
#include "behaviourmodel.h"
#include "fuzzsupport.h"
#include "scheduler.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> launched;
// One service for the whole run, made fresh for each input.
schedulerstate state;

bool recordlaunch(const char* line, const char*) {
    launched.push_back(line);
    return true;
}

std::string stampof(const modeldate& date, int minuteofday) {
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", date.year, date.month, date.day, minuteofday / 60,
             minuteofday % 60);
    return text;
}

bool isrealminute(const std::string& line) {
    if (line.size() < 16) return false;
    const char pattern[] = "dddd-dd-dd dd:dd";
    for (int i = 0; i < 16; i++) {
        bool digit = line[i] >= '0' && line[i] <= '9';
        if (pattern[i] == 'd' ? !digit : line[i] != pattern[i]) return false;
    }
    int year = (int)modelfield(line, 0, 4), month = (int)modelfield(line, 5, 2), day = (int)modelfield(line, 8, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= modeldaysinmonth(year, month) && modelfield(line, 11, 2) <= 23 &&
           modelfield(line, 14, 2) <= 59;
}

int compare16(const std::string& line, const std::string& stamp) {
    return line.substr(0, 16).compare(stamp);
}

void writefile(int (*getname)(char*), const std::string& bytes) {
    char path[PATHBUFSIZE];
    fuzzcheck(getname(path) == 0);
    FILE* file = fopen(path, "wb");
    fuzzcheck(file != NULL);
    fuzzcheck(fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    fuzzcheck(fclose(file) == 0);
}

std::vector<std::string> cycle(const modeldate& date, const std::string& stamp) {
    launched.clear();
    char text[STAMPBUFSIZE];
    memset(text, 0, sizeof text);
    memcpy(text, stamp.data(), 16);
    // The configuration message may come every cycle; it is not what is checked here.
    fflush(stderr);
    int saved = dup(2);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    struct tm broken;
    memset(&broken, 0, sizeof broken);
    broken.tm_year = date.year - 1900;
    broken.tm_mon = date.month - 1;
    broken.tm_mday = date.day;
    broken.tm_hour = (int)modelfield(stamp, 11, 2);
    broken.tm_min = (int)modelfield(stamp, 14, 2);
    runcycle(&state, date.year, date.month, date.day, text, (long long)timegm(&broken), recordlaunch);
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    close(null);
    return launched;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A fatal error must end the run with its message, not wait on a dialog.
    unsetenv("DISPLAY");
    initschedulerstate(&state);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    modeldate date;
    date.year = 1900 + (data[0] | data[1] << 8) % 8100;
    date.month = 1 + data[2] % 12;
    date.day = 1 + data[3] % modeldaysinmonth(date.year, date.month);
    int minute = (data[4] % 24) * 60 + data[5] % 60;
    int later = 1 + (data[6] | data[7] << 8) % 12000;
    // The rest: configuration, simple, monthly, annual and weekly files, split at 0x1e.
    std::string parts[5];
    int part = 0;
    for (size_t i = 8; i < size; i++) {
        if (data[i] == 0x1e && part < 4) part++;
        else parts[part] += (char)data[i];
    }
    writefile(getconfigfilename, parts[0]);
    writefile(getsinglealertfilename, parts[1]);
    writefile(getmonthlyalertfilename, parts[2]);
    writefile(getannualalertfilename, parts[3]);
    writefile(getweeklyalertfilename, parts[4]);
    std::vector<std::string> lines[5];
    for (int i = 0; i < 5; i++) lines[i] = modeldatalines(parts[i].data(), parts[i].size());
    settingsmodel settings = modelsettings(lines[0]);

    // Cycle 1: the first; simple alarms of this very minute only.
    clearschedulerstate(&state);
    std::string first = stampof(date, minute);
    std::set<std::string> memory;
    std::vector<std::string> expected;
    for (const std::string& line : lines[1]) {
        if (line.size() >= 16 && compare16(line, first) == 0) expected.push_back(line);
    }
    for (const std::string& line : lines[4]) {
        int at;
        bool days[8];
        if (modelweekly(line, &at, days) && at == minute && days[modelweekday(date)]) expected.push_back(line);
    }
    modellists(date, settings, lines[2], lines[3], &memory, &expected);
    fuzzcheck(cycle(date, first) == expected);

    // Cycle 2: the same minute again announces nothing.
    fuzzcheck(cycle(date, first).empty());

    // Cycle 3: some minutes later.
    modeldate laterdate = date;
    int laterminute = minute + later;
    while (laterminute >= 1440) {
        laterminute -= 1440;
        laterdate = modelnextday(laterdate);
    }
    std::string third = stampof(laterdate, laterminute);
    expected.clear();
    bool corrected = later > 7 * 24 * 60;
    // Each line due with the minute it is due in: the simple ones first, so
    // that within a minute they come before the weekly ones.
    std::vector<std::pair<std::string, std::string>> minutes;
    for (const std::string& line : lines[1]) {
        bool due = corrected ? line.size() >= 16 && compare16(line, third) == 0
                             : compare16(line, first) > 0 && compare16(line, third) <= 0 && isrealminute(line);
        if (due) minutes.push_back({line.substr(0, 16), line});
    }
    for (const std::string& line : lines[4]) {
        int at;
        bool days[8];
        if (!modelweekly(line, &at, days)) continue;
        if (corrected) {
            if (at == laterminute && days[modelweekday(laterdate)]) minutes.push_back({third, line});
            continue;
        }
        // The days from the first cycle's to the later one's, the latest minute on the line's days that lies between.
        std::vector<modeldate> span;
        for (modeldate walk = date;; walk = modelnextday(walk)) {
            span.push_back(walk);
            if (walk == laterdate) break;
        }
        for (size_t i = span.size(); i-- > 0;) {
            std::string stamp = stampof(span[i], at);
            if (days[modelweekday(span[i])] && stamp > first && stamp <= third) {
                minutes.push_back({stamp, line});
                break;
            }
        }
    }
    std::stable_sort(minutes.begin(), minutes.end(),
                     [](const std::pair<std::string, std::string>& a, const std::pair<std::string, std::string>& b) {
                         return a.first < b.first;
                     });
    for (const auto& due : minutes) expected.push_back(due.second);
    if (!(laterdate == date)) {
        std::vector<modeldate> passed;
        if (!corrected) {
            for (modeldate walk = date; !(walk == laterdate); walk = modelnextday(walk)) passed.push_back(walk);
        }
        std::set<std::string> seen = memory;
        memory.clear();
        modellists(laterdate, settings, lines[2], lines[3], &memory, &expected, passed, seen);
    }
    fuzzcheck(cycle(laterdate, third) == expected);
    return 0;
}
