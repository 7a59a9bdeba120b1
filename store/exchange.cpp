#include "exchange.h"

#include "alarmkinds.h"
#include "calendar.h"
#include "datafiles.h"
#include "fileaccess.h"
#include "fileformats.h"
#include "growable.h"
#include "instancelock.h"
#include "lineset.h"
#include "configfile.h"
#include "statefolder.h"

#include <cctype>
#include <cstdarg>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char EXPORTFIRSTLINE[] = "Ruvello export 2";

namespace {

const char FORMATPREFIX[] = "Ruvello export ";
const char SETTINGSSECTION[] = "[settings]";
// The first line of the format before weekly alarms, which still imports:
// its files hold no weekly section, and their weekly list is empty.
const char FIRSTFORMATLINE[] = "Ruvello export 1";
// The sections as the reader counts them: the lists by their kind, then the settings.
const int SECTIONS = ALARMKINDS + 1;
const int SETTINGS = ALARMKINDS;
// The settings' data lines: the two advance values and the sound.
const int SETTINGSLINES = 3;
// A UTF-8 byte order mark, which some editors put before the first line.
const char BYTEORDERMARK[] = "\xef\xbb\xbf";
// Room for a short generated line (a number, a date).
const int SHORTLINEBUFSIZE = 128;
// Before-import copies made within one second get a number: at most this many.
const int BACKUPTRIES = 100;

// snprintf into text; a text cut short ends in "..." so it never passes for whole.
void format(char* text, int size, const char* pattern, ...) __attribute__((format(printf, 3, 4)));
void format(char* text, int size, const char* pattern, ...) {
    va_list arguments;
    va_start(arguments, pattern);
    int written = vsnprintf(text, (size_t)size, pattern, arguments);
    va_end(arguments);
    if ((written < 0 || written >= size) && size > 4) strcpy(text + size - 4, "...");
}


// The data files as they are now, read as the panel reads them. A file that
// is not there holds nothing. 0, or 1 with failed holding the file's path.
int readfile(const char* path, textlines* list, bool settings, alarmdata* data) {
    FILE* file = openforreading(path);
    if (file == NULL) return errno == ENOENT ? 0 : 1;
    bool failed = false;
    if (settings) {
        advancevalues values;
        readpanelconfig(&values, filedatalines, file);
        data->annualadvance = values.annual;
        data->monthlyadvance = values.monthly;
        data->sound = values.sound;
    } else {
        failed = readdatalines(file, list) != 0;
    }
    if (datareadfailed(file)) failed = true;
    fclose(file);
    return failed ? 1 : 0;
}

}  // namespace

int readcurrentdata(alarmdata* data, char* failed) {
    for (int number = 0; number < DATAFILES; number++) {
        int kind = kindofdatafile(number);
        textlines* list = kind == KINDSETTINGS ? NULL : &data->lists[kind];
        if (getdatafilename(failed, number) != 0 || readfile(failed, list, list == NULL, data) != 0) return 1;
    }
    failed[0] = '\0';
    return 0;
}

namespace {

// The settings' section of an export of data.
int composesettings(const alarmdata* data, textlines* out) {
    char annual[SHORTLINEBUFSIZE];
    char monthly[SHORTLINEBUFSIZE];
    char sound[SHORTLINEBUFSIZE];
    format(annual, sizeof annual, "%d", data->annualadvance);
    format(monthly, sizeof monthly, "%d", data->monthlyadvance);
    format(sound, sizeof sound, "%d", data->sound);
    const char* lines[] = {SETTINGSSECTION, "# annual alarms advance", annual, "# monthly alarms advance", monthly,
                           SOUNDCOMMENTLINE, sound};
    for (const char* line : lines) {
        if (addline(out, line) != 0) return 1;
    }
    return 0;
}

// The lines of an export of data, written at the given local time: the
// sections in the order of the data files, each after an empty line.
int composeexport(const alarmdata* data, const char* stamp, textlines* out) {
    char dated[SHORTLINEBUFSIZE];
    format(dated, sizeof dated, "# Exported on %s. Import it with the configuration panel's Import button,", stamp);
    const char* head[] = {EXPORTFIRSTLINE,
                          "# All the data of Ruvello: the two advance values, the reminder's sound and the four "
                          "lists of alarms.",
                          dated,
                          "# or with: ruvelloconfig --import FILE",
                          "# Empty lines and lines beginning with '#' are comments. Below each [section],",
                          "# every line that begins with a digit is one value or one alarm, as in the",
                          "# data files; an alarm line holds at most 511 characters."};
    for (const char* line : head) {
        if (addline(out, line) != 0) return 1;
    }
    for (int number = 0; number < DATAFILES; number++) {
        if (addline(out, "") != 0) return 1;
        int kind = kindofdatafile(number);
        if (kind == KINDSETTINGS) {
            if (composesettings(data, out) != 0) return 1;
            continue;
        }
        if (addline(out, ALARMKINDTABLE[kind].section) != 0) return 1;
        const textlines* list = &data->lists[kind];
        for (int i = 0; i < list->count; i++) {
            if (addline(out, lineat(list, i)) != 0) return 1;
        }
    }
    return 0;
}

// True when path names one of the data files (an export written there
// would replace the data with its own text).
bool isadatafile(const char* path) {
    char datapath[PATHBUFSIZE];
    for (int number = 0; number < DATAFILES; number++) {
        if (getdatafilename(datapath, number) != 0) continue;
        if (samefile(path, datapath)) return true;
    }
    return false;
}

// Writes data as an export to path; exclusive: never over an existing file.
// 0 written, 1 failed, TEXTFILEEXISTS when something stands at path.
int writeexport(const char* path, const alarmdata* data, bool exclusive) {
    char stamp[STAMPBUFSIZE];
    gettimestamp(stamp);
    textlines out = {};
    int result = composeexport(data, stamp, &out);
    if (result == 0) {
        result = exclusive ? writenewtextfile(path, textlinesline, out.count, &out)
                           : writetextfile(path, textlinesline, out.count, &out);
    }
    freetextlines(&out);
    return result;
}

// One line of an export file as read: its first LINEBUFSIZE - 1 bytes, its
// whole length and what it must not hold. The line end (LF or CR LF) is not
// part of it.
struct rawline {
    char text[LINEBUFSIZE];
    size_t length;
    bool haszero;
    bool hasreturn;  // a carriage return inside the line, not before its line feed
};

// False at the end of the file (or on a read error) before any byte.
bool readrawline(FILE* file, rawline* line) {
    line->length = 0;
    line->haszero = false;
    line->hasreturn = false;
    bool pendingreturn = false;
    int c = getc(file);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = getc(file)) {
        if (pendingreturn) line->hasreturn = true;
        pendingreturn = c == '\r';
        if (pendingreturn) continue;
        if (c == '\0') line->haszero = true;
        if (line->length < (size_t)LINEBUFSIZE - 1) line->text[line->length] = (char)c;
        line->length++;
    }
    size_t kept = line->length < (size_t)LINEBUFSIZE - 1 ? line->length : (size_t)LINEBUFSIZE - 1;
    line->text[kept] = '\0';
    return true;
}

// What is wrong with a data line that a list or the settings are to take;
// NULL when nothing is.
const char* datalineproblem(const rawline* line, char* reason, int reasonsize) {
    if (line->length > (size_t)LINEBUFSIZE - 1) {
        format(reason, reasonsize, "this line is %lu characters long; a data line holds at most %d", (unsigned long)line->length,
               LINEBUFSIZE - 1);
        return reason;
    }
    if (line->haszero) return "this line holds a zero byte, which a data file cannot keep";
    if (line->hasreturn) return "this line holds a carriage return, which a data file cannot keep";
    return NULL;
}

int sectionnamed(const char* text) {
    if (strcmp(text, SETTINGSSECTION) == 0) return SETTINGS;
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        if (strcmp(text, ALARMKINDTABLE[kind].section) == 0) return kind;
    }
    return -1;
}

const char* sectiontitle(int section) { return section == SETTINGS ? SETTINGSSECTION : ALARMKINDTABLE[section].section; }

// An export file being read: the line just read, the section it is in (-1
// before the first), the sections seen, the settings' first SETTINGSLINES data lines,
// and where the alarms and the text of a problem go.
struct exportreading {
    rawline line;
    bool firstformat;  // a file of the format before weekly alarms
    int current;
    bool seen[SECTIONS];
    int settingslines;
    char settings[SETTINGSLINES][LINEBUFSIZE];
    alarmdata* data;
    char* reason;
    int reasonsize;
};

// What is wrong with the first line, which names the format; NULL when nothing is.
const char* firstlineproblem(exportreading* reading) {
    const char* text = reading->line.text;
    if (strncmp(text, BYTEORDERMARK, strlen(BYTEORDERMARK)) == 0) text += strlen(BYTEORDERMARK);
    reading->firstformat = strcmp(text, FIRSTFORMATLINE) == 0;
    if ((reading->firstformat || strcmp(text, EXPORTFIRSTLINE) == 0) && reading->line.length < (size_t)LINEBUFSIZE - 1) {
        return NULL;
    }
    if (strncmp(text, FORMATPREFIX, strlen(FORMATPREFIX)) == 0 && isdigit((unsigned char)text[strlen(FORMATPREFIX)])) {
        format(reading->reason, reading->reasonsize,
               "it is an export of format %.20s; this version of Ruvello reads formats 1 and 2",
               text + strlen(FORMATPREFIX));
    } else {
        format(reading->reason, reading->reasonsize, "its first line is not \"%s\": this is no Ruvello export",
               EXPORTFIRSTLINE);
    }
    return reading->reason;
}

// Opens the section that a line beginning with '[' names; NULL, or what is wrong.
const char* sectionproblem(exportreading* reading) {
    const char* text = reading->line.text;
    int section = sectionnamed(text);
    // The format before weekly alarms has no section for them.
    if (section == KINDWEEKLY && reading->firstformat) section = -1;
    const char* problem = NULL;
    if (section < 0) {
        format(reading->reason, reading->reasonsize,
               "\"%.60s\" is no section of an export; they are [settings], [simple alarms], "
               "[monthly alarms], [annual alarms] and, from format 2 on, [weekly alarms]",
               text);
        problem = reading->reason;
    } else if (reading->seen[section]) {
        format(reading->reason, reading->reasonsize, "the section %s comes a second time", sectiontitle(section));
        problem = reading->reason;
    }
    reading->seen[section >= 0 ? section : 0] = true;
    reading->current = section;
    return problem;
}

// Takes a line within a section: a value, an alarm or a comment; NULL, or what is wrong.
const char* bodylineproblem(exportreading* reading) {
    const rawline* line = &reading->line;
    const char* text = line->text;
    bool dataline = isdigit((unsigned char)text[0]);
    if (reading->current == SETTINGS) {
        // Read as the panel reads the configuration file: the first
        // SETTINGSLINES data lines count, every other line is a comment.
        if (!dataline) return NULL;
        const char* problem = datalineproblem(line, reading->reason, reading->reasonsize);
        if (problem == NULL && reading->settingslines < SETTINGSLINES) {
            // The line is whole here: at most a data line long.
            size_t length = strnlen(text, LINEBUFSIZE - 1);
            char* kept = reading->settings[reading->settingslines++];
            memcpy(kept, text, length);
            kept[length] = '\0';
        }
        return problem;
    }
    if (text[0] == '\0' || text[0] == '#') return NULL;
    if (reading->current < 0) return "only comments may stand before the first section";
    if (!dataline) {
        return "this line is neither an alarm (it would begin with a digit) nor a comment (empty or beginning "
               "with '#')";
    }
    const char* problem = datalineproblem(line, reading->reason, reading->reasonsize);
    if (problem == NULL && addline(&reading->data->lists[reading->current], text) != 0) {
        problem = "there is not enough memory to read it";
    }
    return problem;
}

// What is wrong with a file read to its end: nothing in it, or a section
// missing (lineno then 0). NULL when nothing is.
const char* endproblem(exportreading* reading, int* lineno) {
    if (*lineno == 0) return "it is empty: this is no Ruvello export";
    for (int section = 0; section < SECTIONS; section++) {
        if (section == KINDWEEKLY && reading->firstformat) continue;
        if (!reading->seen[section]) {
            format(reading->reason, reading->reasonsize, "the file ends without the section %s", sectiontitle(section));
            *lineno = 0;
            return reading->reason;
        }
    }
    return NULL;
}

// The settings' data lines, read as the panel reads the configuration file's;
// an export without the sound's line gives the default sound.
void takesettings(const exportreading* reading) {
    const char* lines[SETTINGSLINES];
    for (int i = 0; i < SETTINGSLINES; i++) lines[i] = reading->settings[i];
    linelist given = {lines, reading->settingslines, 0, 0};
    advancevalues values;
    readpanelconfig(&values, listdatalines, &given);
    reading->data->annualadvance = values.annual;
    reading->data->monthlyadvance = values.monthly;
    reading->data->sound = values.sound;
}

// Reads the open export file into data. 0, or 1 with what (and at which line,
// 0 for the end of the file) in reason.
int parseexport(FILE* file, alarmdata* data, int* lineno, char* reason, int reasonsize) {
    // A line and the settings take more room than a stack frame should.
    exportreading* reading = (exportreading*)calloc(1, sizeof(exportreading));
    if (reading == NULL) {
        format(reason, reasonsize, "there is not enough memory to read it");
        return 1;
    }
    reading->current = -1;
    reading->data = data;
    reading->reason = reason;
    reading->reasonsize = reasonsize;
    const char* problem = NULL;
    *lineno = 0;
    while (problem == NULL && readrawline(file, &reading->line)) {
        ++*lineno;
        if (*lineno == 1) problem = firstlineproblem(reading);
        else if (reading->line.text[0] == '[') problem = sectionproblem(reading);
        else problem = bodylineproblem(reading);
    }
    if (problem == NULL) problem = endproblem(reading, lineno);
    if (problem == NULL) takesettings(reading);
    else if (problem != reason) format(reason, reasonsize, "%s", problem);
    free(reading);
    return problem == NULL ? 0 : 1;
}

// A data file's bytes as they are, for putting them back.
struct savedfile {
    char path[PATHBUFSIZE];
    bool present;
    char* bytes;
    size_t length;
};

int readbytes(savedfile* saved) {
    saved->present = false;
    saved->bytes = NULL;
    saved->length = 0;
    FILE* file = openforreading(saved->path);
    if (file == NULL) return errno == ENOENT ? 0 : 1;
    saved->present = true;
    size_t capacity = 0;
    bool failed = false;
    for (;;) {
        if (makeroom(&saved->bytes, &capacity, saved->length + 1) != 0) {
            failed = true;
            break;
        }
        size_t got = fread(saved->bytes + saved->length, 1, capacity - saved->length, file);
        saved->length += got;
        if (got == 0) break;
    }
    if (ferror(file)) failed = true;
    fclose(file);
    return failed ? 1 : 0;
}

// Puts a data file back as it was before an import began.
int putback(const savedfile* saved) {
    if (!saved->present) return remove(saved->path) == 0 || errno == ENOENT ? 0 : 1;
    return writerawfile(saved->path, saved->bytes, saved->length);
}

// The before-import copy of data in the state folder, made under a name not
// yet taken. 0, or 1 with backup holding the name it was to have.
int writebackup(const alarmdata* data, char* backup) {
    char stamp[SHORTLINEBUFSIZE];
    if (formatnow("%Y-%m-%d-%H-%M-%S", stamp, sizeof stamp) != 0) return 1;
    for (int attempt = 1; attempt <= BACKUPTRIES; attempt++) {
        char name[SHORTLINEBUFSIZE];
        if (attempt == 1) format(name, sizeof name, "before-import-%s.txt", stamp);
        else format(name, sizeof name, "before-import-%s-%d.txt", stamp, attempt);
        if (getstatefilename(backup, name) != 0) return 1;
        int result = writeexport(backup, data, true);
        if (result != TEXTFILEEXISTS) return result;
    }
    return 1;
}

// The lines of mine, then those of theirs that mine does not hold. 0, or 1 out of memory.
int mergelists(const textlines* mine, const textlines* theirs, textlines* merged, int* added) {
    lineset held = LINESETEMPTY;
    int result = 0;
    for (int i = 0; i < mine->count && result == 0; i++) {
        if (addline(merged, lineat(mine, i)) != 0 || addlinetoset(&held, lineat(mine, i)) != 0) result = 1;
    }
    *added = 0;
    for (int i = 0; i < theirs->count && result == 0; i++) {
        if (lineinset(&held, lineat(theirs, i))) continue;
        if (addline(merged, lineat(theirs, i)) != 0) result = 1;
        else ++*added;
    }
    freelineset(&held);
    return result;
}

// Replaces the data files with data, in the table's order (saved holds one
// per file, in that order); on a failure puts back the ones already replaced.
// 0, or 1 with failed set.
int replaceall(const alarmdata* data, savedfile* saved, char* failed) {
    int done = 0;
    int result = 0;
    for (; done < DATAFILES && result == 0; done++) {
        savedfile* file = &saved[done];
        int kind = kindofdatafile(done);
        if (kind == KINDSETTINGS) {
            result = writeconfigfile(file->path, data->annualadvance, data->monthlyadvance, data->sound);
        } else {
            textlines* list = (textlines*)&data->lists[kind];
            result = writealertlistfile(file->path, DATAFILETABLE[done].description, textlinesline, list->count, list);
        }
        if (result != 0) memcpy(failed, file->path, PATHBUFSIZE);
    }
    if (result == 0) return 0;
    // The failed file is unchanged or, when only its folder could not be synced,
    // already new: it is put back too.
    for (int i = done - 1; i >= 0; i--) {
        if (putback(&saved[i]) != 0) {
            fprintf(stderr, "Ruvello: cannot put back \"%s\" after the failed import\n", saved[i].path);
        }
    }
    return 1;
}

}  // namespace

void initalarmdata(alarmdata* data) {
    memset(data, 0, sizeof *data);
    data->annualadvance = DEFAULTANNUALADVANCE;
    data->monthlyadvance = DEFAULTMONTHLYADVANCE;
    data->sound = DEFAULTSOUND;
}

void freealarmdata(alarmdata* data) {
    for (textlines& list : data->lists) freetextlines(&list);
    memset(data, 0, sizeof *data);
}


int exportdata(const char* path, int* counts, char* failed) {
    alarmdata data;
    initalarmdata(&data);
    datalock lock;
    int result = 1;
    if (lockdatafiles(&lock) != 0) {
        snprintf(failed, PATHBUFSIZE, "%s", path);
        fprintf(stderr, "Ruvello: another program kept the data files locked\n");
    } else {
        result = readcurrentdata(&data, failed);
        unlockdatafiles(&lock);
    }
    if (result == 0) {
        result = !isadatafile(path) && writeexport(path, &data, false) == 0 ? 0 : 1;
        if (result != 0) snprintf(failed, PATHBUFSIZE, "%s", path);
        for (int kind = 0; kind < ALARMKINDS; kind++) counts[kind] = data.lists[kind].count;
    }
    freealarmdata(&data);
    return result;
}

int readexportfile(const char* path, alarmdata* data, char* problem, int problemsize) {
    initalarmdata(data);
    FILE* file = openforreading(path);
    if (file == NULL) {
        format(problem, problemsize, "%s: this file cannot be read (%s)", path, strerror(errno));
        return 2;
    }
    char reason[PROBLEMBUFSIZE];
    int lineno = 0;
    int result = parseexport(file, data, &lineno, reason, sizeof reason);
    if (ferror(file)) {
        format(problem, problemsize, "%s: this file cannot be read to its end", path);
        result = 2;
    } else if (result != 0 && lineno > 0) {
        format(problem, problemsize, "%s, line %d: %s", path, lineno, reason);
    } else if (result != 0) {
        format(problem, problemsize, "%s: %s", path, reason);
    }
    fclose(file);
    if (result != 0) freealarmdata(data);
    return result;
}

int importdata(const alarmdata* data, bool merge, importoutcome* outcome) {
    memset(outcome, 0, sizeof *outcome);
    datalock lock;
    if (lockdatafiles(&lock) != 0) return IMPORTNOTLOCKED;
    savedfile saved[DATAFILES] = {};
    alarmdata current;
    alarmdata merged;
    initalarmdata(&current);
    initalarmdata(&merged);
    int result = IMPORTDONE;
    // The files as they are, whole, to put back, and as the panel reads them.
    for (int i = 0; i < DATAFILES && result == IMPORTDONE; i++) {
        if (getdatafilename(saved[i].path, i) != 0 || readbytes(&saved[i]) != 0) {
            memcpy(outcome->failed, saved[i].path, PATHBUFSIZE);
            result = IMPORTFILEFAILED;
        }
    }
    if (result == IMPORTDONE && readcurrentdata(&current, outcome->failed) != 0) result = IMPORTFILEFAILED;
    if (result == IMPORTDONE && writebackup(&current, outcome->backup) != 0) result = IMPORTNOBACKUP;
    const alarmdata* next = data;
    if (result == IMPORTDONE && merge) {
        merged.annualadvance = current.annualadvance;
        merged.monthlyadvance = current.monthlyadvance;
        merged.sound = current.sound;
        for (int kind = 0; kind < ALARMKINDS && result == IMPORTDONE; kind++) {
            if (mergelists(&current.lists[kind], &data->lists[kind], &merged.lists[kind], &outcome->added[kind]) != 0) {
                // Out of memory before anything changed: the copy is made, the files are as they were.
                memcpy(outcome->failed, saved[ALARMKINDTABLE[kind].datafile].path, PATHBUFSIZE);
                result = IMPORTFILEFAILED;
            }
        }
        next = &merged;
    } else if (result == IMPORTDONE) {
        for (int kind = 0; kind < ALARMKINDS; kind++) outcome->added[kind] = data->lists[kind].count;
    }
    if (result == IMPORTDONE && replaceall(next, saved, outcome->failed) != 0) result = IMPORTFILEFAILED;
    unlockdatafiles(&lock);
    for (savedfile& file : saved) free(file.bytes);
    freealarmdata(&current);
    freealarmdata(&merged);
    return result;
}
