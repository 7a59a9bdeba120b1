#include "listcommands.h"

#include "alarmkinds.h"
#include "alarmlines.h"
#include "calendar.h"
#include "configfile.h"
#include "datafiles.h"
#include "commandline.h"
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
    readserviceconfig(settings, nodatalines, NULL);
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
    const char* section = ALARMKINDTABLE[kind].section;
    fprintf(stderr, "%s the %.*s: %s\n", done, (int)strlen(section) - 2, section + 1, line);
}

// A line of a kind due in minutes and the minute the service announces it in.
struct minuteentry {
    const char* line;
    char minute[MINUTEBUFSIZE];
};

void printdate(int year, int month, int day, const char* line) { printf("%04d-%02d-%02d\t%s\n", year, month, day, line); }

// The lines of the list of a kind due on dates that the service announces on
// that day, each once however often it stands there (seen holds the day's).
// Gives 1 when memory for the day's memory ran out.
int printdaylist(const textlines* list, const windowdates* window, dayrule isdue, int year, int month, int day,
                 lineset* seen) {
    for (int i = 0; i < list->count; i++) {
        const char* line = lineat(list, i);
        if (!isdue(line, window, NULL) || lineinset(seen, line)) continue;
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

bool earlierminute(const minuteentry& a, const minuteentry& b) { return strcmp(a.minute, b.minute) < 0; }

// The lines of the kinds due in minutes that the service announces on date
// ("YYYY-MM-DD"), from the minute now on, in entries (room for one per line
// of those lists): by the minute the service announces them in, the kinds of
// one minute in the table's order and lines of one list in file order. Gives
// their number.
int minuteentries(const alarmdata* data, const char* date, const char* now, minuteentry* entries) {
    char dayend[STAMPBUFSIZE];
    snprintf(dayend, sizeof dayend, "%.10s 23:59", date);
    int count = 0;
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        minuterule isdue = ALARMKINDTABLE[kind].minutedue;
        const textlines* list = &data->lists[kind];
        for (int i = 0; isdue != NULL && i < list->count; i++) {
            const char* line = lineat(list, i);
            char due[MINUTEBUFSIZE];
            // The date alone sorts before each of its minutes and after every
            // minute of the day before: the day's minutes are those after it.
            if (!isdue(line, date, dayend, due)) continue;
            minuteentry* entry = &entries[count];
            announcedminute(due, entry->minute);
            if (strncmp(entry->minute, now, STAMPLEN) < 0) continue;
            entry->line = line;
            count++;
        }
    }
    std::stable_sort(entries, entries + count, earlierminute);
    return count;
}

// The number of days an agenda covers, from --upcoming's argument (NULL: the
// default): 0, or 1 after saying why the argument is refused.
int readupcomingdays(const char* daystext, int* days) {
    *days = DEFAULTUPCOMINGDAYS;
    if (daystext == NULL) return 0;
    if (readplaindigits(daystext, 3, days) && *days <= MOSTUPCOMINGDAYS) return 0;
    fprintf(stderr, "ruvelloconfig: --upcoming takes a number of days from 0 to %d, not \"%s\"\n", MOSTUPCOMINGDAYS,
            daystext);
    return 1;
}

// One day of the agenda, as the service announces it: the day's first cycle
// (the kinds due on dates, with one memory for the day), then the kinds due in
// minutes, each line at its minute. Gives 1 when memory ran out.
int printagendaday(const alarmdata* data, const advancevalues* settings, int year, int month, int day,
                   const char* now, minuteentry* entries) {
    lineset seen = LINESETEMPTY;
    int failed = 0;
    for (int kind = 0; kind < ALARMKINDS && failed == 0; kind++) {
        const alarmkind* row = &ALARMKINDTABLE[kind];
        if (row->daydue == NULL) continue;
        windowdates window;
        markwindow(year, month, day, settings->*row->advance, &window);
        failed = printdaylist(&data->lists[kind], &window, row->daydue, year, month, day, &seen);
    }
    freelineset(&seen);
    char date[STAMPBUFSIZE];
    snprintf(date, sizeof date, "%04d-%02d-%02d", year % 10000, month, day);
    int count = minuteentries(data, date, now, entries);
    for (int i = 0; i < count; i++) printf("%s\t%s\n", entries[i].minute, entries[i].line);
    return failed;
}

// Writes what is printed so far and says so when it could not be: 0, or 1.
int flushoutput(const char* what) {
    if (fflush(stdout) == 0 && !ferror(stdout)) return 0;
    fprintf(stderr, "ruvelloconfig: %s could not be written to standard output\n", what);
    return 1;
}

}  // namespace

int commandupcoming(const char* daystext) {
    int days = 0;
    if (readupcomingdays(daystext, &days) != 0) return 1;
    alarmdata data;
    initalarmdata(&data);
    advancevalues settings;
    if (readservicesettings(&settings) != 0 || readlists(&data) != 0) {
        freealarmdata(&data);
        return 1;
    }
    int minutelines = 1;
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        if (ALARMKINDTABLE[kind].minutedue != NULL) minutelines += data.lists[kind].count;
    }
    minuteentry* entries = (minuteentry*)malloc(sizeof(minuteentry) * (size_t)minutelines);
    static char output[OUTPUTBUFSIZE];
    setvbuf(stdout, output, _IOFBF, sizeof output);
    int year, month, day;
    char now[STAMPBUFSIZE];
    getdateandstamp(&year, &month, &day, now);
    int failed = entries == NULL ? 1 : 0;
    for (int offset = 0; offset <= days && failed == 0; offset++) {
        failed = printagendaday(&data, &settings, year, month, day, now, entries);
        addoneday(&year, &month, &day);
    }
    free(entries);
    freealarmdata(&data);
    if (failed != 0) {
        fputs("ruvelloconfig: not enough memory for the agenda\n", stderr);
        return 1;
    }
    return flushoutput("the agenda");
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
    // The lists in the export's order, which is the data files' table's.
    for (int number = 0; number < DATAFILES; number++) {
        int kind = kindofdatafile(number);
        if (kind == KINDSETTINGS) continue;
        printf("%s\n", ALARMKINDTABLE[kind].section);
        const textlines* lines = &data.lists[kind];
        for (int i = 0; i < lines->count; i++) printf("%s\n", lineat(lines, i));
    }
    freealarmdata(&data);
    return flushoutput("the lists");
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
