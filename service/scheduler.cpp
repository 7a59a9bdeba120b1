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

const char CONFIGMESSAGE[] = "Configuration file syntax error: using default values.";

namespace {

// The day's memory starts with this many slots and doubles when half full.
const size_t FIRSTCAPACITY = 64;
// The kept simple lines start with room for this many and double when full.
const int FIRSTKEPTCAPACITY = 16;
const long MINUTESPERDAY = 24 * 60;

// A heap copy of line, NULL when memory for it cannot be had.
char* copyofline(const char* line) {
    size_t length = strlen(line);
    char* copy = (char*)malloc(length + 1);
    if (copy != NULL) memcpy(copy, line, length + 1);
    return copy;
}

uint64_t hashline(const char* line) {
    uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char* c = (const unsigned char*)line; *c != '\0'; c++) {
        hash ^= *c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

void forgetlines(linememory* memory) {
    for (size_t i = 0; i < memory->capacity; i++) free(memory->lines[i]);
    free(memory->lines);
    memory->lines = NULL;
    memory->capacity = 0;
    memory->count = 0;
}

bool containsline(const linememory* memory, const char* line) {
    if (memory->capacity == 0) return false;
    size_t index = (size_t)hashline(line) & (memory->capacity - 1);
    while (memory->lines[index] != NULL) {
        if (strcmp(memory->lines[index], line) == 0) return true;
        index = (index + 1) & (memory->capacity - 1);
    }
    return false;
}

// Puts line (already owned by the table) into the first free slot of its chain.
void placeline(char** slots, size_t capacity, char* line) {
    size_t index = (size_t)hashline(line) & (capacity - 1);
    while (slots[index] != NULL) index = (index + 1) & (capacity - 1);
    slots[index] = line;
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

// Copies the minute of stamp into kept, zeros after it; only the 16
// characters of a minute are read, whatever buffer stamp lies in.
void keepstamp(char* kept, const char* stamp) {
    memset(kept, 0, STAMPBUFSIZE);
    memcpy(kept, stamp, strnlen(stamp, STAMPLEN));
}

// How the clock moved since the greatest minute scanned.
enum clockmove { FIRSTSCAN, MOVEDON, STEPPEDBACK, CORRECTED };

// The local step is what the clock shows; the forward limit counts in UTC,
// so that the start of daylight saving does not shorten it by an hour.
clockmove classifymove(const schedulerstate* state, const char* stamp, long long utcminute) {
    if (state->greatestscanned[0] == '\0') return FIRSTSCAN;
    // The greatest minute scanned lies more than a small step in the future:
    // the clock was corrected back, whatever the local time shows.
    long long utcstep = utcminute - state->greatestutcminute;
    if (utcstep < -SMALLSTEPBACKMINUTES) return CORRECTED;
    long long localstep = stampminutes(stamp) - stampminutes(state->greatestscanned);
    if (localstep <= 0) return -localstep <= SMALLSTEPBACKMINUTES ? STEPPEDBACK : CORRECTED;
    long long limit = (long long)state->catchupdays * MINUTESPERDAY;
    if (state->catchupdays == 0) limit = state->running ? SLOWSCANMINUTES : 0;
    return utcstep > limit ? CORRECTED : MOVEDON;
}

keptline* findkept(schedulerstate* state, const char* line) {
    for (int i = 0; i < state->keptcount; i++) {
        if (strcmp(state->kept[i].line, line) == 0) return &state->kept[i];
    }
    return NULL;
}

void forgetkept(schedulerstate* state) {
    for (int i = 0; i < state->keptcount; i++) free(state->kept[i].line);
    free(state->kept);
    state->kept = NULL;
    state->keptcount = 0;
    state->keptcapacity = 0;
}

// Drops the kept lines whose minute lies more than a small step back from the
// greatest minute scanned: the clock cannot show them again without a correction.
void prunekept(schedulerstate* state) {
    long long oldest = stampminutes(state->greatestscanned) - SMALLSTEPBACKMINUTES;
    int used = 0;
    for (int i = 0; i < state->keptcount; i++) {
        if (stampminutes(state->kept[i].line) >= oldest) {
            state->kept[used++] = state->kept[i];
        } else {
            free(state->kept[i].line);
        }
    }
    state->keptcount = used;
}

// A simple alarm line due in this cycle, and its place in the file.
struct dueline {
    char* line;
    int order;
};

// Minute order; lines of the same minute keep their order in the file.
int compareduelines(const void* a, const void* b) {
    const dueline* first = (const dueline*)a;
    const dueline* second = (const dueline*)b;
    int byminute = strncmp(first->line, second->line, STAMPLEN);
    if (byminute != 0) return byminute;
    return first->order < second->order ? -1 : first->order > second->order;
}

void freeduelines(dueline* lines, int count) {
    for (int i = 0; i < count; i++) free(lines[i].line);
    free(lines);
}

// Reads the simple list and gives the lines due: those of the minute stamp
// when after is NULL, else those after the minute after and at or before
// stamp that name a real minute. The caller frees them with freeduelines.
dueline* collectsimple(schedulerstate* state, const char* after, const char* stamp, int* count) {
    char path[PATHBUFSIZE];
    char line[LINEBUFSIZE];
    dueline* lines = NULL;
    int capacity = 0;
    *count = 0;
    FILE* file = opendatafile(getsinglealertfilename, path);
    startdatalines(&state->listreader, file);
    while (nextdataline(&state->listreader, line)) {
        bool due;
        if (after == NULL) {
            due = strncmp(line, stamp, STAMPLEN) == 0;
        } else {
            due = strncmp(line, after, STAMPLEN) > 0 && strncmp(line, stamp, STAMPLEN) <= 0 && isrealstamp(line);
        }
        if (!due) continue;
        if (*count == capacity) {
            int grown = capacity == 0 ? FIRSTKEPTCAPACITY : capacity * 2;
            dueline* more = (dueline*)realloc(lines, (size_t)grown * sizeof(dueline));
            if (more == NULL) fatalerrorandexit(OUTOFMEMORYMESSAGE, file);
            lines = more;
            capacity = grown;
        }
        char* copy = copyofline(line);
        if (copy == NULL) fatalerrorandexit(OUTOFMEMORYMESSAGE, file);
        lines[*count].line = copy;
        lines[*count].order = *count;
        (*count)++;
    }
    closedatafile(file, path);
    if (*count > 1) qsort(lines, (size_t)*count, sizeof(dueline), compareduelines);
    return lines;
}

// Announces the due simple alarms in minute order. A line of a minute at or
// before repeatedupto (the greatest minute scanned before this cycle, when
// the clock showed it again) is announced only for the copies beyond those
// already announced. Simple alarms never enter the day's memory: a line
// standing twice is announced twice. Gives the number announced.
int announcesimple(schedulerstate* state, dueline* lines, int count, const char* repeatedupto,
                   notificationlauncher launcher) {
    int announced = 0;
    long long oldestkept = stampminutes(state->greatestscanned) - SMALLSTEPBACKMINUTES;
    for (int i = 0; i < count; i++) {
        const char* line = lines[i].line;
        if (repeatedupto != NULL && strncmp(line, repeatedupto, STAMPLEN) <= 0) {
            keptline* kept = findkept(state, line);
            if (kept != NULL && kept->used < kept->count) {
                kept->used++;
                continue;
            }
        }
        if (!launcher(line)) fatalerrorandexit(LAUNCHFAILUREMESSAGE, NULL);
        announced++;
        if (isrealstamp(line) && stampminutes(line) >= oldestkept && keepsimpleline(state, line, 1) != 0) {
            fatalerrorandexit(OUTOFMEMORYMESSAGE, NULL);
        }
    }
    return announced;
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

// Marks the dates from the given day up to the day before today: the days
// that passed since the last day scanned, that day included.
void markpassed(int year, int month, int day, int todayyear, int todaymonth, int today, windowdates* window) {
    memset(window, 0, sizeof *window);
    // The forward limit keeps the walk short; the bound only guards it.
    for (int steps = 0; steps <= MOSTCATCHUPDAYS + 1; steps++) {
        if (year == todayyear && month == todaymonth && day == today) return;
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

// What passed since the last day scanned, for the first cycle after a gap:
// the dates that passed, and the lines seen on that last day.
struct passeddays {
    windowdates dates;
    const linememory* seen;
};

// Reads the monthly or annual list that getname names and announces, once a
// day, each line whose date its window holds, and each line whose date
// passed and that the last day scanned did not see. Gives the number announced.
int scanlist(schedulerstate* state, int (*getname)(char* path), int advance,
             bool (*isdue)(const char* line, const windowdates* window), const passeddays* passed,
             notificationlauncher launcher) {
    windowdates window;
    markwindow(state->year, state->month, state->day, advance, &window);
    char path[PATHBUFSIZE];
    char line[LINEBUFSIZE];
    int announced = 0;
    FILE* file = opendatafile(getname, path);
    startdatalines(&state->listreader, file);
    while (nextdataline(&state->listreader, line)) {
        bool due = isdue(line, &window) ||
                   (passed != NULL && isdue(line, &passed->dates) && !containsline(passed->seen, line));
        if (!due || isnotified(state, line)) continue;
        if (!launcher(line)) fatalerrorandexit(LAUNCHFAILUREMESSAGE, file);
        announced++;
        // The copy is kept exactly as read, before the launcher's quote change.
        if (remembernotified(&state->notified, line) != 0) fatalerrorandexit(OUTOFMEMORYMESSAGE, file);
    }
    closedatafile(file, path);
    return announced;
}

// Hands the configuration's data lines on and folds them into a fingerprint,
// so that the message is written again only when the values read change.
struct fingerprintedlines {
    FILE* file;
    uint64_t fingerprint;
};

bool fingerprintlines(void* context, char* line) {
    fingerprintedlines* source = (fingerprintedlines*)context;
    if (!filedatalines(source->file, line)) return false;
    source->fingerprint = (source->fingerprint ^ hashline(line)) * 1099511628211ULL + 1;
    return true;
}

// 1 when the configuration message is due for what file holds, else 0.
int readsettings(servicesettings* settings, FILE* file, uint64_t* fingerprint) {
    advancevalues values;
    fingerprintedlines source = {file, 0};
    int fault = readserviceconfig(&values, fingerprintlines, &source);
    settings->annual_advance = values.annual;
    settings->monthly_advance = values.monthly;
    *fingerprint = source.fingerprint;
    return fault;
}

long long floordiv(long long value, long long by) {
    long long quotient = value / by;
    return value % by < 0 ? quotient - 1 : quotient;
}

}  // namespace

long long stampminutes(const char* stamp) {
    long long days = daysfromcivil(digitsat(stamp, 0, 4), digitsat(stamp, 5, 2), digitsat(stamp, 8, 2));
    return days * 1440 + digitsat(stamp, 11, 2) * 60 + digitsat(stamp, 14, 2);
}

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

int readserviceoptions(int argc, char** argv, int* days) {
    *days = DEFAULTCATCHUPDAYS;
    if (argc <= 1) return 0;
    if (argc != 3 || strcmp(argv[1], "--catch-up") != 0) return 1;
    const char* text = argv[2];
    // Only plain digits: no sign, no blanks, nothing after them.
    if (*text == '\0' || strspn(text, "0123456789") != strlen(text) || strlen(text) > 2) return 1;
    int value = atoi(text);
    if (value > MOSTCATCHUPDAYS) return 1;
    *days = value;
    return 0;
}

void createdatafiles() {
    int (*getname[4])(char* path) = {getconfigfilename, getsinglealertfilename, getmonthlyalertfilename,
                                     getannualalertfilename};
    for (int i = 0; i < 4; i++) {
        char path[PATHBUFSIZE];
        if (getname[i](path) != 0 || createifabsent(path) != 0) reportfileerrorandexit(path);
    }
}

void readconfigfile(servicesettings* settings, FILE* file) {
    uint64_t fingerprint;
    if (readsettings(settings, file, &fingerprint) != 0) writeconfigmessage();
}

bool isnotified(const schedulerstate* state, const char* line) { return containsline(&state->notified, line); }

int remembernotified(linememory* memory, const char* line) {
    if ((size_t)(memory->count + 1) * 2 > memory->capacity) {
        size_t capacity = memory->capacity == 0 ? FIRSTCAPACITY : memory->capacity * 2;
        char** slots = (char**)calloc(capacity, sizeof(char*));
        if (slots == NULL) return 1;
        for (size_t i = 0; i < memory->capacity; i++) {
            if (memory->lines[i] != NULL) placeline(slots, capacity, memory->lines[i]);
        }
        free(memory->lines);
        memory->lines = slots;
        memory->capacity = capacity;
    }
    char* copy = copyofline(line);
    if (copy == NULL) return 1;
    placeline(memory->lines, memory->capacity, copy);
    memory->count++;
    return 0;
}

int keepsimpleline(schedulerstate* state, const char* line, int count) {
    keptline* kept = findkept(state, line);
    if (kept != NULL) {
        kept->count += count;
        kept->used += count;
        return 0;
    }
    if (state->keptcount == state->keptcapacity) {
        int capacity = state->keptcapacity == 0 ? FIRSTKEPTCAPACITY : state->keptcapacity * 2;
        keptline* more = (keptline*)realloc(state->kept, (size_t)capacity * sizeof(keptline));
        if (more == NULL) return 1;
        state->kept = more;
        state->keptcapacity = capacity;
    }
    char* copy = copyofline(line);
    if (copy == NULL) return 1;
    state->kept[state->keptcount].line = copy;
    state->kept[state->keptcount].count = count;
    state->kept[state->keptcount].used = count;
    state->keptcount++;
    return 0;
}

void initschedulerstate(schedulerstate* state) {
    state->notified.lines = NULL;
    state->notified.capacity = 0;
    state->notified.count = 0;
    state->year = -1;
    state->month = -1;
    state->day = -1;
    memset(state->greatestscanned, 0, sizeof state->greatestscanned);
    state->greatestutcminute = 0;
    memset(state->lastscanned, 0, sizeof state->lastscanned);
    state->kept = NULL;
    state->keptcount = 0;
    state->keptcapacity = 0;
    state->catchupdays = DEFAULTCATCHUPDAYS;
    state->running = false;
    state->configfault = false;
    state->configfingerprint = 0;
}

void clearschedulerstate(schedulerstate* state) {
    int days = state->catchupdays;
    forgetlines(&state->notified);
    forgetkept(state);
    initschedulerstate(state);
    state->catchupdays = days;
}

bool runcycle(schedulerstate* state, int year, int month, int day, const char* stamp, long long utcseconds,
              notificationlauncher launcher) {
    long long utcminute = floordiv(utcseconds, 60);
    clockmove move = classifymove(state, stamp, utcminute);
    // Simple alarms due in this cycle: those after the minute "after" and at or
    // before the cycle's stamp; with after NULL only the cycle's own minute.
    // Those at or before "repeatedupto" fall in minutes scanned before.
    char previous[STAMPBUFSIZE];
    char greatest[STAMPBUFSIZE];
    keepstamp(previous, state->lastscanned);
    keepstamp(greatest, state->greatestscanned);
    bool afterprevious = strncmp(stamp, previous, STAMPLEN) > 0;
    const char* after = NULL;
    const char* repeatedupto = NULL;
    switch (move) {
    case FIRSTSCAN:
        // The first cycle without a saved state announces its own minute only.
    case CORRECTED:
        // A step forward beyond the catch-up limit, or of more than three
        // hours back, is a clock correction, not time that passed: the
        // minutes in between are not announced, and the new minute is where
        // scanning goes on. Nothing scanned before can come again.
        forgetkept(state);
        keepstamp(state->greatestscanned, stamp);
        state->greatestutcminute = utcminute;
        break;
    case MOVEDON:
        // The usual next minute, or a later one after a slow scan, a suspend,
        // the start of daylight saving or a stop of the service: every minute
        // passed over since the last cycle is announced now, late but once.
        // After a step back the clock passed the greatest minute again: the
        // minutes up to it are announced only beyond what was announced.
        after = previous;
        repeatedupto = greatest;
        keepstamp(state->greatestscanned, stamp);
        state->greatestutcminute = utcminute;
        break;
    case STEPPEDBACK:
        // The clock was set back by up to three hours, as at the end of
        // daylight saving, or the service started again in a minute it had
        // scanned: the minutes it shows again were scanned already, so only
        // the copies of a line beyond those announced are due (a line added
        // meanwhile), until the clock passes the greatest scanned minute.
        if (afterprevious) after = previous;
        repeatedupto = greatest;
        break;
    }
    for (int i = 0; i < state->keptcount; i++) state->kept[i].used = 0;

    // The day's memory belongs to the date of the greatest scanned minute. It
    // is cleared when that date changes (a new day, a gap, a clock
    // correction), and kept when the clock steps back a little, also across
    // midnight, so that nothing is announced twice; monthly and annual
    // windows then still start at that later date. After time that passed,
    // the lines whose date passed meanwhile and that the last day scanned
    // did not see are announced in this cycle.
    bool daychanged = move != STEPPEDBACK && (year != state->year || month != state->month || day != state->day);
    linememory seen = {NULL, 0, 0};
    passeddays* passed = NULL;
    passeddays gap;
    if (daychanged) {
        if (move == MOVEDON && state->year != -1) {
            markpassed(state->year, state->month, state->day, year, month, day, &gap.dates);
            seen = state->notified;
            gap.seen = &seen;
            passed = &gap;
        } else {
            forgetlines(&state->notified);
        }
        state->notified.lines = NULL;
        state->notified.capacity = 0;
        state->notified.count = 0;
        state->year = year;
        state->month = month;
        state->day = day;
    }

    servicesettings settings;
    char path[PATHBUFSIZE];
    FILE* file = opendatafile(getconfigfilename, path);
    uint64_t fingerprint = 0;
    int fault = readsettings(&settings, file, &fingerprint);
    closedatafile(file, path);
    // The message is written when a fault is first found, and again only
    // when the values read change: an empty file does not fill a log.
    if (fault != 0 && (!state->configfault || fingerprint != state->configfingerprint)) writeconfigmessage();
    state->configfault = fault != 0;
    state->configfingerprint = fingerprint;

    int count = 0;
    dueline* lines = collectsimple(state, after, stamp, &count);
    int announced = announcesimple(state, lines, count, repeatedupto, launcher);
    freeduelines(lines, count);
    if (move == MOVEDON) prunekept(state);
    announced += scanlist(state, getmonthlyalertfilename, settings.monthly_advance, monthlydue, passed, launcher);
    announced += scanlist(state, getannualalertfilename, settings.annual_advance, annualdue, passed, launcher);
    forgetlines(&seen);
    keepstamp(state->lastscanned, stamp);
    state->running = true;
    return announced > 0 || daychanged;
}
