#include "listcommands.h"

#include "alarmlines.h"
#include "calendar.h"
#include "configfile.h"
#include "datafiles.h"
#include "dialogs.h"
#include "duerules.h"
#include "exchange.h"
#include "lineset.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Standard output is written in large pieces: an agenda of a year over long
// lists runs to many thousand lines.
const size_t OUTPUTBUFSIZE = 1 << 16;

// Every list's lines into data. 0, or 1 after the unreadable file's error on standard error.
int readlists(alarmdata* data) {
    char failed[PATHBUFSIZE];
    if (readcurrentdata(data, failed) == 0) return 0;
    printfilefatalerror(failed);
    fputc('\n', stderr);
    return 1;
}

// The two advance values as the service reads them, which decide what it
// announces. 0, or 1 after the file's error on standard error.
int readservicesettings(advancevalues* settings) {
    char path[PATHBUFSIZE];
    settings->annual = DEFAULTANNUALADVANCE;
    settings->monthly = DEFAULTMONTHLYADVANCE;
    bool failed = getconfigfilename(path) != 0;
    FILE* file = failed ? NULL : openforreading(path);
    if (file != NULL) {
        readserviceconfig(settings, filedatalines, file);
        failed = datareadfailed(file);
        fclose(file);
    } else if (!failed) {
        failed = errno != ENOENT;
    }
    if (!failed) return 0;
    printfilefatalerror(path);
    fputc('\n', stderr);
    return 1;
}

// Says on standard error that line went to or from the list of kind, named
// as its section heading names it, without the brackets.
void saydone(const char* done, int kind, const char* line) {
    const char* section = listsection(kind);
    fprintf(stderr, "%s the %.*s: %s\n", done, (int)strlen(section) - 2, section + 1, line);
}

// A simple or weekly line and the minute the service announces it in.
struct simpleentry {
    const char* line;
    char minute[MINUTEBUFSIZE];
};

void printdate(int year, int month, int day, const char* line) { printf("%04d-%02d-%02d\t%s\n", year, month, day, line); }

// The monthly or annual lines of list that the service announces on that
// day, each once however often it stands there (seen holds the day's).
// Gives 1 when memory for the day's memory ran out.
int printdaylist(const textlines* list, const windowdates* window, bool monthly, int year, int month, int day,
                 lineset* seen) {
    for (int i = 0; i < list->count; i++) {
        const char* line = lineat(list, i);
        bool due = monthly ? monthlydue(line, window, NULL) : annualdue(line, window, NULL);
        if (!due || lineinset(seen, line)) continue;
        if (addlinetoset(seen, line) != 0) return 1;
        printdate(year, month, day, line);
    }
    return 0;
}

// Tells what went wrong with a change of the list of kind: 0 when nothing
// did, else 1 after saying why on standard error.
int reportchange(int result, const char* path) {
    if (result == LISTCHANGED) return 0;
    if (result == LINENOTFOUND) {
        fputs("no such alarm\n", stderr);
    } else if (result == LISTNOTLOCKED) {
        fputs("ruvelloconfig: nothing was changed: another Ruvello program kept the data files busy. Please try again.\n",
              stderr);
    } else {
        printfilefatalerror(path);
        fputc('\n', stderr);
    }
    return 1;
}

// The kind of a line given to --add or --remove, or -1 after saying why it has none.
int kindofargument(const char* line) {
    int kind = newalarmkind(line);
    if (kind < 0) {
        fprintf(stderr, "ruvelloconfig: \"%s\" is no alarm line: give %s on one line\n", line, LAYOUTSDESCRIPTION);
    }
    return kind;
}

bool earlierminute(const simpleentry& a, const simpleentry& b) { return strcmp(a.minute, b.minute) < 0; }

// The weekly lines of list due on date ("YYYY-MM-DD"), from the minute now
// on, in entries (room for one per line), by the minute the service
// announces them in, lines of one minute in file order. Gives their number.
int weeklyentries(const textlines* list, const char* date, const char* now, simpleentry* entries) {
    char dayend[STAMPBUFSIZE];
    snprintf(dayend, sizeof dayend, "%.10s 23:59", date);
    int count = 0;
    for (int i = 0; i < list->count; i++) {
        const char* line = lineat(list, i);
        char due[MINUTEBUFSIZE];
        // The date alone sorts before each of its minutes and after every
        // minute of the day before: the day's minutes are those after it.
        if (!weeklydue(line, date, dayend, due)) continue;
        simpleentry* entry = &entries[count];
        announcedminute(due, entry->minute);
        if (strncmp(entry->minute, now, STAMPLEN) < 0) continue;
        entry->line = line;
        count++;
    }
    std::stable_sort(entries, entries + count, earlierminute);
    return count;
}

}  // namespace

int commandupcoming(const char* daystext) {
    int days = DEFAULTUPCOMINGDAYS;
    if (daystext != NULL) {
        // Only plain digits: no sign, no blanks, nothing after them.
        size_t length = strlen(daystext);
        if (length == 0 || length > 3 || strspn(daystext, "0123456789") != length || atoi(daystext) > MOSTUPCOMINGDAYS) {
            fprintf(stderr, "ruvelloconfig: --upcoming takes a number of days from 0 to %d, not \"%s\"\n",
                    MOSTUPCOMINGDAYS, daystext);
            return 1;
        }
        days = atoi(daystext);
    }
    alarmdata data;
    initalarmdata(&data);
    advancevalues settings;
    if (readservicesettings(&settings) != 0 || readlists(&data) != 0) {
        freealarmdata(&data);
        return 1;
    }
    static char output[OUTPUTBUFSIZE];
    setvbuf(stdout, output, _IOFBF, sizeof output);
    int year, month, day;
    char now[STAMPBUFSIZE];
    getdateandstamp(&year, &month, &day, now);

    // The simple lines from the current minute on, in the order the service
    // announces them: by minute, lines of one minute in file order.
    const textlines* simple = &data.lists[KINDSINGLE];
    const textlines* weekly = &data.lists[KINDWEEKLY];
    simpleentry* entries = (simpleentry*)malloc(sizeof(simpleentry) * (size_t)(simple->count + 1));
    simpleentry* weeklies = (simpleentry*)malloc(sizeof(simpleentry) * (size_t)(weekly->count + 1));
    if (entries == NULL || weeklies == NULL) {
        fputs("ruvelloconfig: not enough memory for the agenda\n", stderr);
        free(entries);
        free(weeklies);
        freealarmdata(&data);
        return 1;
    }
    int entrycount = 0;
    for (int i = 0; i < simple->count; i++) {
        const char* line = lineat(simple, i);
        if (!isrealstamp(line)) continue;
        simpleentry* entry = &entries[entrycount];
        announcedminute(line, entry->minute);
        if (strncmp(entry->minute, now, STAMPLEN) < 0) continue;
        entry->line = line;
        entrycount++;
    }
    std::stable_sort(entries, entries + entrycount, earlierminute);

    int next = 0;
    int failed = 0;
    lineset seen = LINESETEMPTY;
    for (int offset = 0; offset <= days && failed == 0; offset++) {
        char date[STAMPBUFSIZE];
        snprintf(date, sizeof date, "%04d-%02d-%02d", year % 10000, month, day);
        // The day's first cycle: the monthly, then the annual list, one memory for both.
        windowdates window;
        freelineset(&seen);
        markwindow(year, month, day, settings.monthly, &window);
        failed = printdaylist(&data.lists[KINDMONTHLY], &window, true, year, month, day, &seen);
        markwindow(year, month, day, settings.annual, &window);
        if (failed == 0) failed = printdaylist(&data.lists[KINDANNUAL], &window, false, year, month, day, &seen);
        // Then the simple and weekly alarms of the day, each in its minute,
        // the simple ones first within a minute, as the cycle announces them.
        while (next < entrycount && strncmp(entries[next].minute, date, 10) < 0) next++;
        int weeklycount = weeklyentries(weekly, date, now, weeklies);
        int nextweekly = 0;
        for (;;) {
            bool simpleleft = next < entrycount && strncmp(entries[next].minute, date, 10) == 0;
            bool weeklyleft = nextweekly < weeklycount;
            if (!simpleleft && !weeklyleft) break;
            bool simplefirst = simpleleft && (!weeklyleft || strcmp(entries[next].minute, weeklies[nextweekly].minute) <= 0);
            const simpleentry* entry = simplefirst ? &entries[next++] : &weeklies[nextweekly++];
            printf("%s\t%s\n", entry->minute, entry->line);
        }
        addoneday(&year, &month, &day);
    }
    free(entries);
    free(weeklies);
    freelineset(&seen);
    freealarmdata(&data);
    if (failed != 0) {
        fputs("ruvelloconfig: not enough memory for the agenda\n", stderr);
        return 1;
    }
    int status = fflush(stdout) == 0 && !ferror(stdout) ? 0 : 1;
    if (status != 0) fputs("ruvelloconfig: the agenda could not be written to standard output\n", stderr);
    return status;
}

int commandlist() {
    alarmdata data;
    initalarmdata(&data);
    if (readlists(&data) != 0) {
        freealarmdata(&data);
        return 1;
    }
    static char output[OUTPUTBUFSIZE];
    setvbuf(stdout, output, _IOFBF, sizeof output);
    // The lists in the export's order, which is the table's.
    for (int number = 0; number < DATAFILES; number++) {
        int kind = DATAFILETABLE[number].kind;
        if (kind == KINDSETTINGS) continue;
        printf("%s\n", listsection(kind));
        const textlines* lines = &data.lists[kind];
        for (int i = 0; i < lines->count; i++) printf("%s\n", lineat(lines, i));
    }
    freealarmdata(&data);
    int status = fflush(stdout) == 0 && !ferror(stdout) ? 0 : 1;
    if (status != 0) fputs("ruvelloconfig: the lists could not be written to standard output\n", stderr);
    return status;
}

int commandadd(const char* line) {
    int kind = kindofargument(line);
    if (kind < 0) return 1;
    char now[STAMPBUFSIZE];
    gettimestamp(now);
    const char* refusal = checknewalarm(kind, line, now);
    if (refusal != NULL) {
        fprintf(stderr, "%s\n", refusal);
        return 1;
    }
    char path[PATHBUFSIZE];
    if (reportchange(appendalarmline(kind, line, path), path) != 0) return 1;
    saydone("Added to", kind, line);
    return 0;
}

int commandremove(const char* line) {
    int kind = kindofargument(line);
    if (kind < 0) return 1;
    char path[PATHBUFSIZE];
    if (reportchange(removealarmline(kind, line, path), path) != 0) return 1;
    saydone("Removed from", kind, line);
    return 0;
}
