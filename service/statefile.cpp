#include "statefile.h"

#include "datafiles.h"
#include "fileformats.h"
#include "wallclock.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

const char STATEFILENAME[] = "service.state";
const char STATEFILEHEADER[] = "ruvello service state 2";

namespace {

// The header of the version before weekly alarms, which still loads.
const char FIRSTVERSIONHEADER[] = "ruvello service state 1";
// Room for one line of the state file: the longest is "weekly", a count of up
// to MOSTKEPTCOPIES digits, a minute and a whole data line of 511 characters.
const int STATELINEBUFSIZE = 640;
// More copies of one line than any list holds: a larger count is no count we wrote.
const long MOSTKEPTCOPIES = 1000000;
const char SCANNEDPREFIX[] = "scanned ";
const char UTCPREFIX[] = "utc ";
const char NOTIFIEDPREFIX[] = "notified ";
const char KEPTPREFIX[] = "kept ";
const char WEEKLYPREFIX[] = "weekly ";
const char ENDLINE[] = "end";

// Reads one line, its line end (LF or CR LF) removed. 1: a line; 0: the end
// of the file; -1: a line too long, holding a zero byte or cut short by the
// end of the file, or a read error.
int readstateline(FILE* file, char* line) {
    int length = 0;
    for (;;) {
        int c = getc(file);
        if (c == EOF) return length == 0 && !ferror(file) ? 0 : -1;
        if (c == '\n') break;
        if (c == '\0' || length == STATELINEBUFSIZE - 1) return -1;
        line[length++] = (char)c;
    }
    if (length > 0 && line[length - 1] == '\r') length--;
    line[length] = '\0';
    return 1;
}

bool startswith(const char* text, const char* prefix) { return strncmp(text, prefix, strlen(prefix)) == 0; }

// A minute stamp and nothing else.
bool isstampalone(const char* text) { return strlen(text) == (size_t)STAMPLEN && isrealstamp(text); }

// A line as the data-line reader gives it: a digit first, at most 511 characters.
bool isdataline(const char* text) {
    return isdigit((unsigned char)text[0]) && strlen(text) < (size_t)LINEBUFSIZE;
}

// Reads a kept item's count and the space after it from text; the rest
// follows at *rest. False when it is no count we wrote.
bool readkeptcount(char* text, int* count, char** rest) {
    size_t digits = strspn(text, "0123456789");
    if (digits == 0 || digits > 7 || text[digits] != ' ') return false;
    long value = atol(text);
    if (value < 1 || value > MOSTKEPTCOPIES) return false;
    *count = (int)value;
    *rest = text + digits + 1;
    return true;
}

// Reads the items after the header into state; false at the first one out of
// place. weekly: the file's version has weekly items.
bool readitems(FILE* file, schedulerstate* state, bool weekly) {
    char line[STATELINEBUFSIZE];
    if (readstateline(file, line) != 1 || !startswith(line, SCANNEDPREFIX) ||
        !isstampalone(line + strlen(SCANNEDPREFIX))) {
        return false;
    }
    const char* scanned = line + strlen(SCANNEDPREFIX);
    memcpy(state->greatestscanned, scanned, STAMPLEN);
    memcpy(state->lastscanned, scanned, STAMPLEN);
    state->year = atoi(scanned);
    state->month = atoi(scanned + 5);
    state->day = atoi(scanned + 8);
    if (readstateline(file, line) != 1 || !startswith(line, UTCPREFIX) || !isstampalone(line + strlen(UTCPREFIX))) {
        return false;
    }
    state->greatestutcminute = stampminutes(line + strlen(UTCPREFIX));
    for (;;) {
        if (readstateline(file, line) != 1) return false;
        if (strcmp(line, ENDLINE) == 0) break;
        if (startswith(line, NOTIFIEDPREFIX)) {
            const char* text = line + strlen(NOTIFIEDPREFIX);
            if (!isdataline(text)) return false;
            if (!isnotified(state, text) && addlinetoset(&state->notified, text) != 0) return false;
        } else if (startswith(line, KEPTPREFIX)) {
            char* text;
            int count;
            if (!readkeptcount(line + strlen(KEPTPREFIX), &count, &text)) return false;
            if (!isdataline(text) || !isrealstamp(text)) return false;
            if (keepsimpleline(state, text, count) != 0) return false;
        } else if (weekly && startswith(line, WEEKLYPREFIX)) {
            char* text;
            int count;
            if (!readkeptcount(line + strlen(WEEKLYPREFIX), &count, &text)) return false;
            if (strlen(text) <= (size_t)STAMPLEN || text[STAMPLEN] != ' ') return false;
            text[STAMPLEN] = '\0';
            const char* kept = text + STAMPLEN + 1;
            if (!isstampalone(text) || !isdataline(kept)) return false;
            if (keepweeklyline(state, text, kept, count) != 0) return false;
        } else {
            return false;
        }
    }
    // Nothing may follow the end.
    return readstateline(file, line) == 0;
}

// Gives the state file's lines in order, one call per line: the header, the
// two minutes, the day's memory, the kept lines and the end.
struct statelines {
    const schedulerstate* state;
    linesetwalk notified;  // through the day's memory
    int kept;              // the next kept line
    char text[STATELINEBUFSIZE];
};

const char* getstateline(int index, void* context) {
    statelines* lines = (statelines*)context;
    const schedulerstate* state = lines->state;
    if (index == 0) return STATEFILEHEADER;
    if (index == 1) {
        snprintf(lines->text, sizeof lines->text, "%s%.16s", SCANNEDPREFIX, state->greatestscanned);
        return lines->text;
    }
    if (index == 2) {
        time_t moment = (time_t)(state->greatestutcminute * 60);
        struct tm broken;
        bool ok = brokendownutc(moment, &broken);
        char stamp[STAMPBUFSIZE];
        if (!ok || strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M", &broken) == 0) stamp[0] = '\0';
        snprintf(lines->text, sizeof lines->text, "%s%s", UTCPREFIX, stamp);
        return lines->text;
    }
    const char* line = nextlinesetline(&lines->notified);
    if (line != NULL) {
        snprintf(lines->text, sizeof lines->text, "%s%s", NOTIFIEDPREFIX, line);
        return lines->text;
    }
    if (lines->kept < state->keptcount) {
        const keptline* kept = &state->kept[lines->kept++];
        // A weekly line's text is already its minute, a space and the line.
        snprintf(lines->text, sizeof lines->text, "%s%d %s", kept->weekly ? WEEKLYPREFIX : KEPTPREFIX, kept->count,
                 kept->line);
        return lines->text;
    }
    return ENDLINE;
}

}  // namespace

stateload loadstatefile(schedulerstate* state, const char* path) {
    // A missing file is no fault (the first start); any other failure is.
    errno = 0;
    FILE* file = openforreading(path);
    if (file == NULL) return errno == ENOENT ? STATEMISSING : STATEUNREADABLE;
    char line[STATELINEBUFSIZE];
    bool read = readstateline(file, line) == 1;
    if (read) {
        bool current = strcmp(line, STATEFILEHEADER) == 0;
        read = (current || strcmp(line, FIRSTVERSIONHEADER) == 0) && readitems(file, state, current);
    }
    fclose(file);
    if (read) return STATELOADED;
    clearschedulerstate(state);
    return STATEUNREADABLE;
}

int savestatefile(const schedulerstate* state, const char* path) {
    // Nothing scanned yet: there is nothing to keep.
    if (state->greatestscanned[0] == '\0') return 0;
    statelines lines;
    lines.state = state;
    startlinesetwalk(&lines.notified, &state->notified);
    lines.kept = 0;
    // Every line fits: a data line is at most 511 characters and each prefix is short.
    int count = 3 + state->notified.count + state->keptcount + 1;
    return writetextfile(path, getstateline, count, &lines);
}
