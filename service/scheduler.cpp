#include "scheduler.h"

#include "calendar.h"
#include "configfile.h"
#include "datafiles.h"
#include "linereader.h"
#include "notification.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

const char CONFIGMESSAGE[] = "Configuration file syntax error: using default values.";

namespace {

// The clock counts as stepped back by a small amount (daylight saving's end)
// up to this many minutes; further back, or further forward than a day, it
// counts as corrected and only the current minute is scanned.
const long SMALLSTEPBACK = 3 * 60;
const long LONGESTCATCHUP = 24 * 60;
// The day's memory starts with this many slots and doubles when half full.
const size_t FIRSTCAPACITY = 64;

uint64_t hashline(const char* line) {
    uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char* c = (const unsigned char*)line; *c != '\0'; c++) {
        hash ^= *c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

void forgetnotified(schedulerstate* state) {
    for (size_t i = 0; i < state->notifiedcapacity; i++) free(state->notifiedlines[i]);
    free(state->notifiedlines);
    state->notifiedlines = NULL;
    state->notifiedcapacity = 0;
    state->notifiedcount = 0;
}

// Puts line (already owned by the table) into the first free slot of its chain.
void placeline(char** slots, size_t capacity, char* line) {
    size_t index = (size_t)hashline(line) & (capacity - 1);
    while (slots[index] != NULL) index = (index + 1) & (capacity - 1);
    slots[index] = line;
}

// 0: a copy of line is in the day's memory; 1: memory for it could not be had.
int remembernotified(schedulerstate* state, const char* line) {
    if ((size_t)(state->notifiedcount + 1) * 2 > state->notifiedcapacity) {
        size_t capacity = state->notifiedcapacity == 0 ? FIRSTCAPACITY : state->notifiedcapacity * 2;
        char** slots = (char**)calloc(capacity, sizeof(char*));
        if (slots == NULL) return 1;
        for (size_t i = 0; i < state->notifiedcapacity; i++) {
            if (state->notifiedlines[i] != NULL) placeline(slots, capacity, state->notifiedlines[i]);
        }
        free(state->notifiedlines);
        state->notifiedlines = slots;
        state->notifiedcapacity = capacity;
    }
    size_t length = strlen(line);
    char* copy = (char*)malloc(length + 1);
    if (copy == NULL) return 1;
    memcpy(copy, line, length + 1);
    placeline(state->notifiedlines, state->notifiedcapacity, copy);
    state->notifiedcount++;
    return 0;
}

// The number of days from 1970-01-01 to the given date (proleptic Gregorian).
long daysfromcivil(long year, long month, long day) {
    year -= month <= 2 ? 1 : 0;
    long era = (year >= 0 ? year : year - 399) / 400;
    long yearofera = year - era * 400;
    long dayofyear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long dayofera = yearofera * 365 + yearofera / 4 - yearofera / 100 + dayofyear;
    return era * 146097 + dayofera - 719468;
}

int digitsat(const char* text, int start, int count) {
    int value = 0;
    for (int i = start; i < start + count; i++) value = value * 10 + (text[i] - '0');
    return value;
}

// Minutes since 1970 of a stamp from gettimestamp, as local wall-clock time.
long stampminutes(const char* stamp) {
    long days = daysfromcivil(digitsat(stamp, 0, 4), digitsat(stamp, 5, 2), digitsat(stamp, 8, 2));
    return days * 1440 + digitsat(stamp, 11, 2) * 60 + digitsat(stamp, 14, 2);
}

// True when the first 16 characters of line are a minute that a clock can
// show: a simple alarm line can fall between two scanned minutes only then,
// just as only such a line can equal a scanned minute.
bool isrealstamp(const char* line) {
    static const char pattern[] = "dddd-dd-dd dd:dd";
    for (int i = 0; i < STAMPLEN; i++) {
        if (pattern[i] == 'd' ? !isdigit((unsigned char)line[i]) : line[i] != pattern[i]) return false;
    }
    int month = digitsat(line, 5, 2);
    int day = digitsat(line, 8, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= daysinmonth(digitsat(line, 0, 4), month) &&
           digitsat(line, 11, 2) <= 23 && digitsat(line, 14, 2) <= 59;
}

// The field of count characters from position start (0-based) read as a
// decimal number by itself; the characters beyond the line's end are absent.
int readfield(const char* line, int start, int count) {
    char field[8];
    size_t length = strnlen(line, start + count);
    int used = 0;
    for (size_t i = start; i < length; i++) field[used++] = line[i];
    field[used] = '\0';
    return readdecimal(field);
}

void writeconfigmessage() {
    fputs(CONFIGMESSAGE, stderr);
    fflush(stderr);
}

// Opens a data file for reading with its path formed anew; a path that cannot
// be formed, or a file that cannot be opened or is no regular file, ends the service.
FILE* opendatafile(int (*getname)(char* path), char* path) {
    if (getname(path) != 0) reportfileerrorandexit(path);
    // Only a regular file is opened, without waiting and closed on exec, so
    // that no message box started during the scan keeps it.
    FILE* file = openforreading(path);
    if (file == NULL) reportfileerrorandexit(path);
    return file;
}

// Closes a data file that has been read to its end; a read error before the
// end ends the service, which never goes on with part of a list.
void closedatafile(FILE* file, const char* path) {
    bool failed = datareadfailed(file);
    fclose(file);
    if (failed) reportfileerrorandexit(path);
}

// Announces a monthly or annual line whose window holds its date, unless it
// was announced on this day already.
void announcelistline(schedulerstate* state, const char* line, FILE* file, notificationlauncher launcher) {
    if (isnotified(state, line)) return;
    if (!launcher(line)) fatalerrorandexit(LAUNCHFAILUREMESSAGE, file);
    // The copy is kept exactly as read, before the launcher's quote change.
    if (remembernotified(state, line) != 0) fatalerrorandexit(OUTOFMEMORYMESSAGE, file);
}

// Copies the minute of stamp into kept, zeros after it; only the 16
// characters of a minute are read, whatever buffer stamp lies in.
void keepstamp(char* kept, const char* stamp) {
    memset(kept, 0, STAMPBUFSIZE);
    memcpy(kept, stamp, strnlen(stamp, STAMPLEN));
}

// How the clock moved since the greatest minute scanned.
enum clockmove { FIRSTSCAN, MOVEDON, STEPPEDBACK, CORRECTED };

clockmove classifymove(const schedulerstate* state, const char* stamp) {
    if (state->greatestscanned[0] == '\0') return FIRSTSCAN;
    long minutes = stampminutes(stamp) - stampminutes(state->greatestscanned);
    if (minutes > LONGESTCATCHUP || minutes < -SMALLSTEPBACK) return CORRECTED;
    if (minutes > 0) return MOVEDON;
    return STEPPEDBACK;
}

void scansimple(schedulerstate* state, const char* after, const char* stamp, notificationlauncher launcher) {
    char path[PATHBUFSIZE];
    char line[LINEBUFSIZE];
    FILE* file = opendatafile(getsinglealertfilename, path);
    startdatalines(&state->listreader, file);
    while (nextdataline(&state->listreader, line)) {
        bool due;
        if (after == NULL) {
            due = strncmp(line, stamp, STAMPLEN) == 0;
        } else {
            due = strncmp(line, after, STAMPLEN) > 0 && strncmp(line, stamp, STAMPLEN) <= 0 && isrealstamp(line);
        }
        // Simple alarms never enter the day's memory: a line standing twice is announced twice.
        if (due && !launcher(line)) fatalerrorandexit(LAUNCHFAILUREMESSAGE, file);
    }
    closedatafile(file, path);
}

// The dates that the window of the current day and the next advance days
// holds, worked out once for all lines of a list: a line is due when its date
// is among them, which is what walking each line's window would find. days
// marks the days of the month, dates the month and day pairs.
struct windowdates {
    bool days[32];
    bool dates[13][32];
};

void markwindow(int year, int month, int day, int advance, windowdates* window) {
    memset(window, 0, sizeof *window);
    for (int offset = 0; offset <= advance; offset++) {
        window->days[day] = true;
        window->dates[month][day] = true;
        addoneday(&year, &month, &day);
    }
}

bool monthlydue(const char* line, const windowdates* window) {
    int day = readfield(line, 0, 2);
    return day >= 1 && day <= 31 && window->days[day];
}

bool annualdue(const char* line, const windowdates* window) {
    int month = readfield(line, 0, 2);
    int day = readfield(line, 3, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && window->dates[month][day];
}

// Reads the monthly or annual list that getname names and announces each line
// whose date its window holds, once a day.
void scanlist(schedulerstate* state, int (*getname)(char* path), int advance,
              bool (*isdue)(const char* line, const windowdates* window), notificationlauncher launcher) {
    windowdates window;
    markwindow(state->year, state->month, state->day, advance, &window);
    char path[PATHBUFSIZE];
    char line[LINEBUFSIZE];
    FILE* file = opendatafile(getname, path);
    startdatalines(&state->listreader, file);
    while (nextdataline(&state->listreader, line)) {
        if (isdue(line, &window)) announcelistline(state, line, file, launcher);
    }
    closedatafile(file, path);
}

}  // namespace

void createdatafiles() {
    int (*getname[4])(char* path) = {getconfigfilename, getsinglealertfilename, getmonthlyalertfilename,
                                     getannualalertfilename};
    for (int i = 0; i < 4; i++) {
        char path[PATHBUFSIZE];
        if (getname[i](path) != 0 || createifabsent(path) != 0) reportfileerrorandexit(path);
    }
}

void readconfigfile(servicesettings* settings, FILE* file) {
    advancevalues values;
    int fault = readserviceconfig(&values, filedatalines, file);
    settings->annual_advance = values.annual;
    settings->monthly_advance = values.monthly;
    if (fault != 0) writeconfigmessage();
}

bool isnotified(const schedulerstate* state, const char* line) {
    if (state->notifiedcapacity == 0) return false;
    size_t index = (size_t)hashline(line) & (state->notifiedcapacity - 1);
    while (state->notifiedlines[index] != NULL) {
        if (strcmp(state->notifiedlines[index], line) == 0) return true;
        index = (index + 1) & (state->notifiedcapacity - 1);
    }
    return false;
}

void initschedulerstate(schedulerstate* state) {
    state->notifiedlines = NULL;
    state->notifiedcapacity = 0;
    state->notifiedcount = 0;
    state->year = -1;
    state->month = -1;
    state->day = -1;
    memset(state->greatestscanned, 0, sizeof state->greatestscanned);
}

void clearschedulerstate(schedulerstate* state) {
    forgetnotified(state);
    initschedulerstate(state);
}

void runcycle(schedulerstate* state, int year, int month, int day, const char* stamp, notificationlauncher launcher) {
    clockmove move = classifymove(state, stamp);
    // Simple alarms due in this cycle: those after the minute "after" and at or
    // before the cycle's stamp; with after NULL only the cycle's own minute.
    const char* after = NULL;
    char previous[STAMPBUFSIZE];
    bool scansimplealarms = true;
    switch (move) {
    case FIRSTSCAN:
        // The first cycle announces its own minute only: minutes before the
        // service started are not caught up.
    case CORRECTED:
        // A step of more than a day forward or of more than three hours back
        // is a clock correction, not time that passed: the minutes in between
        // are not announced, and the new minute is where scanning goes on.
        keepstamp(state->greatestscanned, stamp);
        break;
    case MOVEDON:
        // The usual next minute, or a later one after a slow scan, a suspend
        // or the start of daylight saving: every minute passed over since the
        // last scan is announced now, late but once.
        memcpy(previous, state->greatestscanned, STAMPBUFSIZE);
        after = previous;
        keepstamp(state->greatestscanned, stamp);
        break;
    case STEPPEDBACK:
        // The clock was set back by up to three hours, as at the end of
        // daylight saving: its minutes were scanned already, so no simple
        // alarm is due until the clock passes the greatest scanned minute.
        scansimplealarms = false;
        break;
    }
    // The day's memory belongs to the date of the greatest scanned minute. It
    // is cleared when that date changes (a new day, a month asleep, a clock
    // correction), and kept when the clock steps back a little, also across
    // midnight, so that nothing is announced twice; monthly and annual
    // windows then still start at that later date.
    if (move != STEPPEDBACK && (year != state->year || month != state->month || day != state->day)) {
        forgetnotified(state);
        state->year = year;
        state->month = month;
        state->day = day;
    }

    servicesettings settings;
    char path[PATHBUFSIZE];
    FILE* file = opendatafile(getconfigfilename, path);
    readconfigfile(&settings, file);
    closedatafile(file, path);

    if (scansimplealarms) scansimple(state, after, stamp, launcher);
    scanlist(state, getmonthlyalertfilename, settings.monthly_advance, monthlydue, launcher);
    scanlist(state, getannualalertfilename, settings.annual_advance, annualdue, launcher);
}

void waitfornextminute(const char* stamp) {
    // The reference is the cycle's own minute: when a scan ran into the next
    // minute, the next cycle starts after one pause and catches up on it.
    char fresh[STAMPBUFSIZE];
    do {
#ifdef _WIN32
        Sleep(5000);
#else
        sleep(5);
#endif
        gettimestamp(fresh);
    } while (strcmp(fresh, stamp) == 0);
}
