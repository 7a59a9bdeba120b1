#include "scheduler.h"

#include "alarmkinds.h"
#include "calendar.h"
#include "configfile.h"
#include "datafiles.h"
#include "duerules.h"
#include "growable.h"
#include "linereader.h"
#include "lineset.h"
#include "notification.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

const char CONFIGMESSAGE[] = "Configuration file syntax error: using default values.";

namespace {

// A heap copy of line, NULL when memory for it cannot be had.
char* copyofline(const char* line) {
    size_t length = strlen(line);
    char* copy = (char*)malloc(length + 1);
    if (copy != NULL) memcpy(copy, line, length + 1);
    return copy;
}

void writeconfigmessage() {
    fputs(CONFIGMESSAGE, stderr);
    fflush(stderr);
}

// Opens the data file of that number for reading with its path formed anew; a
// path that cannot be formed, or a file that cannot be opened or is no regular
// file, ends the service.
FILE* opendatafile(int number, char* path) {
    if (getdatafilename(path, number) != 0) reportfileerrorandexit(path);
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

// Room for a kept line's text: a minute, a space and a data line.
const int KEPTBUFSIZE = MINUTEBUFSIZE + LINEBUFSIZE;

// A kept weekly line's text: the minute due, a space, the line.
void weeklykey(const char* due, const char* line, char* key) { snprintf(key, KEPTBUFSIZE, "%.16s %s", due, line); }

keptline* findkept(schedulerstate* state, bool weekly, const char* text) {
    for (int i = 0; i < state->keptcount; i++) {
        if (state->kept[i].weekly == weekly && strcmp(state->kept[i].line, text) == 0) return &state->kept[i];
    }
    return NULL;
}

int keepline(schedulerstate* state, bool weekly, const char* text, int count) {
    keptline* kept = findkept(state, weekly, text);
    if (kept != NULL) {
        kept->count += count;
        kept->used += count;
        return 0;
    }
    if (makeroom(&state->kept, &state->keptcapacity, (size_t)state->keptcount + 1) != 0) return 1;
    char* copy = copyofline(text);
    if (copy == NULL) return 1;
    state->kept[state->keptcount] = keptline{copy, weekly, count, count};
    state->keptcount++;
    return 0;
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

// A line of a kind due in minutes, due in this cycle: the minute it is due
// in, and its place among the lines read. A weekly line does not name the
// minute it is due in, so its memory across cycles holds the minute too.
struct dueline {
    char* line;
    bool weekly;
    char due[MINUTEBUFSIZE];
    int order;
};

// Minute order; in one minute the kinds come in the table's order (the simple
// lines before the weekly ones), and lines of one list keep their order in the
// file: the lines are read in that order, so their place decides.
int compareduelines(const void* a, const void* b) {
    const dueline* first = (const dueline*)a;
    const dueline* second = (const dueline*)b;
    int byminute = strncmp(first->due, second->due, STAMPLEN);
    if (byminute != 0) return byminute;
    return first->order < second->order ? -1 : first->order > second->order;
}

void freeduelines(dueline* lines, int count) {
    for (int i = 0; i < count; i++) free(lines[i].line);
    free(lines);
}

// Reads the list of every kind due in minutes and gives the lines due: those
// of the minute stamp when after is NULL, else those after the minute after
// and at or before stamp that name a real minute (a weekly line once, for the
// latest of its minutes there). The caller frees them with freeduelines.
dueline* collectdue(schedulerstate* state, const char* after, const char* stamp, int* count) {
    char path[PATHBUFSIZE];
    char line[LINEBUFSIZE];
    dueline* lines = NULL;
    size_t capacity = 0;
    *count = 0;
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        const alarmkind* row = &ALARMKINDTABLE[kind];
        if (row->minutedue == NULL) continue;
        FILE* file = opendatafile(row->datafile, path);
        startdatalines(&state->listreader, file);
        while (nextdataline(&state->listreader, line)) {
            char due[MINUTEBUFSIZE];
            if (!row->minutedue(line, after, stamp, due)) continue;
            if (makeroom(&lines, &capacity, (size_t)*count + 1) != 0) fatalerrorandexit(OUTOFMEMORYMESSAGE, file);
            char* copy = copyofline(line);
            if (copy == NULL) fatalerrorandexit(OUTOFMEMORYMESSAGE, file);
            dueline* entry = &lines[*count];
            entry->line = copy;
            entry->weekly = kind == KINDWEEKLY;
            memcpy(entry->due, due, MINUTEBUFSIZE);
            entry->order = *count;
            (*count)++;
        }
        closedatafile(file, path);
    }
    if (*count > 1) qsort(lines, (size_t)*count, sizeof(dueline), compareduelines);
    return lines;
}

// Announces the due simple and weekly alarms in minute order. A line of a
// minute at or before repeatedupto (the greatest minute scanned before this
// cycle, when the clock showed it again) is announced only for the copies
// beyond those already announced for that minute. These alarms never enter
// the day's memory: a line standing twice is announced twice. Gives the
// number announced.
int announcedue(schedulerstate* state, dueline* lines, int count, const char* repeatedupto,
                notificationlauncher launcher) {
    int announced = 0;
    long long oldestkept = stampminutes(state->greatestscanned) - SMALLSTEPBACKMINUTES;
    for (int i = 0; i < count; i++) {
        const char* line = lines[i].line;
        const char* due = lines[i].due;
        char key[KEPTBUFSIZE];
        if (lines[i].weekly) {
            weeklykey(due, line, key);
        } else {
            snprintf(key, sizeof key, "%s", line);
        }
        if (repeatedupto != NULL && strncmp(due, repeatedupto, STAMPLEN) <= 0) {
            keptline* kept = findkept(state, lines[i].weekly, key);
            if (kept != NULL && kept->used < kept->count) {
                kept->used++;
                continue;
            }
        }
        if (!launcher(line, due)) fatalerrorandexit(LAUNCHFAILUREMESSAGE, NULL);
        announced++;
        if (isrealstamp(due) && stampminutes(due) >= oldestkept && keepline(state, lines[i].weekly, key, 1) != 0) {
            fatalerrorandexit(OUTOFMEMORYMESSAGE, NULL);
        }
    }
    return announced;
}

// What passed since the last day scanned, for the first cycle after a gap:
// the dates that passed, and the lines seen on that last day (its own).
struct passeddays {
    windowdates dates;
    lineset seen;
};

// Reads the list of a kind due on dates and announces, once a day, each line
// whose date its window holds, and each line whose date passed and that the
// last day scanned did not see. Gives the number announced.
int scanlist(schedulerstate* state, const alarmkind* kind, int advance, const passeddays* passed,
             notificationlauncher launcher) {
    dayrule isdue = kind->daydue;
    int number = kind->datafile;
    windowdates window;
    markwindow(state->year, state->month, state->day, advance, &window);
    char path[PATHBUFSIZE];
    char line[LINEBUFSIZE];
    int announced = 0;
    FILE* file = opendatafile(number, path);
    startdatalines(&state->listreader, file);
    while (nextdataline(&state->listreader, line)) {
        calendardate date;
        bool due = isdue(line, &window, &date) ||
                   (passed != NULL && isdue(line, &passed->dates, &date) && !lineinset(&passed->seen, line));
        if (!due || isnotified(state, line)) continue;
        char dueminute[STAMPBUFSIZE];
        snprintf(dueminute, sizeof dueminute, "%04d-%02d-%02d 00:00", date.year % 10000, date.month, date.day);
        if (!launcher(line, dueminute)) fatalerrorandexit(LAUNCHFAILUREMESSAGE, file);
        announced++;
        // The copy is kept exactly as read, before the launcher's quote change.
        if (addlinetoset(&state->notified, line) != 0) fatalerrorandexit(OUTOFMEMORYMESSAGE, file);
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
int readfingerprintedconfig(advancevalues* values, FILE* file, uint64_t* fingerprint) {
    fingerprintedlines source = {file, 0};
    int fault = readserviceconfig(values, fingerprintlines, &source);
    *fingerprint = source.fingerprint;
    return fault;
}

long long floordiv(long long value, long long by) {
    long long quotient = value / by;
    return value % by < 0 ? quotient - 1 : quotient;
}

// The simple alarms of a cycle: those after the minute "after" and at or
// before the cycle's stamp; with after NULL only the cycle's own minute.
// Those at or before "repeatedupto" fall in minutes scanned before. Both
// point into the copies of the two minutes held here, or are NULL.
struct simplerange {
    char previous[STAMPBUFSIZE];
    char greatest[STAMPBUFSIZE];
    const char* after;
    const char* repeatedupto;
};

// The range of simple alarms for how the clock moved; the greatest minute
// scanned moves on with the clock, except after a small step back.
void advancescan(schedulerstate* state, clockmove move, const char* stamp, long long utcminute, simplerange* range) {
    keepstamp(range->previous, state->lastscanned);
    keepstamp(range->greatest, state->greatestscanned);
    bool afterprevious = strncmp(stamp, range->previous, STAMPLEN) > 0;
    range->after = NULL;
    range->repeatedupto = NULL;
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
        range->after = range->previous;
        range->repeatedupto = range->greatest;
        keepstamp(state->greatestscanned, stamp);
        state->greatestutcminute = utcminute;
        break;
    case STEPPEDBACK:
        // The clock was set back by up to three hours, as at the end of
        // daylight saving, or the service started again in a minute it had
        // scanned: the minutes it shows again were scanned already, so only
        // the copies of a line beyond those announced are due (a line added
        // meanwhile), until the clock passes the greatest scanned minute.
        if (afterprevious) range->after = range->previous;
        range->repeatedupto = range->greatest;
        break;
    }
    for (int i = 0; i < state->keptcount; i++) state->kept[i].used = 0;
}

// The day's memory belongs to the date of the greatest scanned minute. It is
// cleared when that date changes (a new day, a gap, a clock correction), and
// kept when the clock steps back a little, also across midnight, so that
// nothing is announced twice; monthly and annual windows then still start at
// that later date. After time that passed, gap takes the dates passed and the
// last day's memory, for announcing the lines whose date passed meanwhile and
// that the last day did not see, and *passed points at it (else NULL). True
// when the day changed.
bool turnday(schedulerstate* state, clockmove move, int year, int month, int day, passeddays* gap,
             const passeddays** passed) {
    *passed = NULL;
    initlineset(&gap->seen);
    if (move == STEPPEDBACK || (year == state->year && month == state->month && day == state->day)) return false;
    if (move == MOVEDON && state->year != -1) {
        markpassed(state->year, state->month, state->day, year, month, day, &gap->dates);
        movelineset(&gap->seen, &state->notified);
        *passed = gap;
    } else {
        freelineset(&state->notified);
    }
    state->year = year;
    state->month = month;
    state->day = day;
    return true;
}

// The cycle's advance values. The message is written when a fault is first
// found, and again only when the values read change: an empty file does not
// fill a log.
void readcycleconfig(schedulerstate* state, advancevalues* values) {
    char path[PATHBUFSIZE];
    FILE* file = opendatafile(DATACONFIG, path);
    uint64_t fingerprint = 0;
    int fault = readfingerprintedconfig(values, file, &fingerprint);
    closedatafile(file, path);
    if (fault != 0 && (!state->configfault || fingerprint != state->configfingerprint)) writeconfigmessage();
    state->configfault = fault != 0;
    state->configfingerprint = fingerprint;
}

// Announces the simple and weekly alarms of range; after time that passed,
// the kept lines that the clock cannot show again are dropped. Gives the
// number announced.
int scanminutes(schedulerstate* state, const simplerange* range, const char* stamp, clockmove move,
                notificationlauncher launcher) {
    int count = 0;
    dueline* lines = collectdue(state, range->after, stamp, &count);
    int announced = announcedue(state, lines, count, range->repeatedupto, launcher);
    freeduelines(lines, count);
    if (move == MOVEDON) prunekept(state);
    return announced;
}

}  // namespace

void createdatafiles() {
    for (int number = 0; number < DATAFILES; number++) {
        char path[PATHBUFSIZE];
        if (getdatafilename(path, number) != 0 || createifabsent(path) != 0) reportfileerrorandexit(path);
    }
}

void readconfigfile(advancevalues* values, FILE* file) {
    uint64_t fingerprint;
    if (readfingerprintedconfig(values, file, &fingerprint) != 0) writeconfigmessage();
}

bool isnotified(const schedulerstate* state, const char* line) { return lineinset(&state->notified, line); }

int keepsimpleline(schedulerstate* state, const char* line, int count) { return keepline(state, false, line, count); }

int keepweeklyline(schedulerstate* state, const char* due, const char* line, int count) {
    char key[KEPTBUFSIZE];
    weeklykey(due, line, key);
    return keepline(state, true, key, count);
}

void initschedulerstate(schedulerstate* state) {
    initlineset(&state->notified);
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
    freelineset(&state->notified);
    forgetkept(state);
    initschedulerstate(state);
    state->catchupdays = days;
}

bool runcycle(schedulerstate* state, int year, int month, int day, const char* stamp, long long utcseconds,
              notificationlauncher launcher) {
    long long utcminute = floordiv(utcseconds, 60);
    clockmove move = classifymove(state, stamp, utcminute);
    simplerange range;
    advancescan(state, move, stamp, utcminute, &range);
    passeddays gap;
    const passeddays* passed;
    bool daychanged = turnday(state, move, year, month, day, &gap, &passed);
    advancevalues settings;
    readcycleconfig(state, &settings);
    // The cycle's order is the table's: the kinds due in minutes (simple and
    // weekly) by minute, then those due on dates (monthly, then annual).
    int announced = scanminutes(state, &range, stamp, move, launcher);
    for (const alarmkind& kind : ALARMKINDTABLE) {
        if (kind.daydue != NULL) announced += scanlist(state, &kind, settings.*kind.advance, passed, launcher);
    }
    freelineset(&gap.seen);
    keepstamp(state->lastscanned, stamp);
    state->running = true;
    return announced > 0 || daychanged;
}
