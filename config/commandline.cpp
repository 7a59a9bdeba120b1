#include "commandline.h"

#include "alarmkinds.h"
#include "listcommands.h"
#include "programs.h"

#include <cstdio>
#include <cstring>

namespace {

// Room for the fatal file error: its two lines of text and a path.
const int FATALBUFSIZE = PATHBUFSIZE + 128;

const char USAGE[] =
    "Usage: ruvelloconfig                       open the configuration panel\n"
    "       ruvelloconfig --export FILE         write all alarms and settings to FILE\n"
    "       ruvelloconfig --import FILE         replace all alarms and settings with FILE's\n"
    "       ruvelloconfig --import FILE --merge add FILE's alarms to yours (settings kept)\n"
    "       ruvelloconfig --upcoming [DAYS]     list what is announced from now to DAYS days ahead (default 7, at most 366)\n"
    "       ruvelloconfig --list                list every alarm, under the export's section headings\n"
    "       ruvelloconfig --add \"LINE\"         add an alarm: \"YYYY-MM-DD HH:MM - message\", \"DD - message\", \"MM-DD - message\"\n"
    "                                           or \"HH:MM DAYS - message\" (DAYS: weekday digits, 1 Monday to 7 Sunday)\n"
    "       ruvelloconfig --remove \"LINE\"      remove the first alarm equal to LINE\n"
    "       ruvelloconfig --help                show this text\n"
    "Before an import changes anything, the current data is exported to the state\n"
    "folder as before-import-<date>-<time>.txt; importing that file undoes the import.\n";

int commandexport(const char* path) {
    int counts[ALARMKINDS];
    char failed[PATHBUFSIZE];
    if (exportdata(path, counts, failed) != 0) {
        fprintf(stderr, "ruvelloconfig: nothing was exported: cannot %s \"%s\"\n",
                strcmp(failed, path) == 0 ? "write" : "read", failed);
        return 1;
    }
    char described[COUNTSBUFSIZE];
    describecounts(described, sizeof described, counts);
    fprintf(stderr, "Exported %s and the two advance values to \"%s\"\n", described, path);
    return 0;
}

int commandimport(const char* path, bool merge) {
    alarmdata data;
    char problem[PROBLEMBUFSIZE];
    if (readexportfile(path, &data, problem, sizeof problem) != 0) {
        fprintf(stderr, "ruvelloconfig: nothing was imported: %s\n", problem);
        return 1;
    }
    importoutcome outcome;
    int result = importdata(&data, merge, &outcome);
    freealarmdata(&data);
    char message[IMPORTMESSAGEBUFSIZE];
    if (result == IMPORTDONE) {
        describeimport(message, path, merge, &outcome);
        fprintf(stderr, "%s\n", message);
        return 0;
    }
    if (result == IMPORTFILEFAILED) {
        // The panel's file error, without its dialog; the files are as they were.
        printfilefatalerror(outcome.failed);
        fputc('\n', stderr);
        return 1;
    }
    describerefusal(message, result, &outcome);
    fprintf(stderr, "ruvelloconfig: %s\n", message);
    return 1;
}

}  // namespace

// "3 simple, 1 monthly, 2 annual and 4 weekly alarms": the kinds in the table's order.
void describecounts(char* text, int size, const int* counts) {
    int used = 0;
    for (int kind = 0; kind < ALARMKINDS && used >= 0; kind++) {
        const char* joint = kind == 0 ? "" : kind == ALARMKINDS - 1 ? " and " : ", ";
        int written = snprintf(text + used, (size_t)(size - used), "%s%d %s", joint, counts[kind],
                               ALARMKINDTABLE[kind].noun);
        used = written < 0 || written >= size - used ? -1 : used + written;
    }
    int written = used < 0 ? -1 : snprintf(text + used, (size_t)(size - used), " alarms");
    if (written < 0 || written >= size - used) text[0] = '\0';
}

// Composes a message into text; a message cut short still ends in "...".
void composemessage(char* text, const char* pattern, const char* first, const char* second, const char* third) {
    int written = snprintf(text, IMPORTMESSAGEBUFSIZE, pattern, first, second, third);
    if (written < 0 || written >= IMPORTMESSAGEBUFSIZE) strcpy(text + IMPORTMESSAGEBUFSIZE - 4, "...");
}

int countsof(const alarmdata* data, int* counts) {
    for (int kind = 0; kind < ALARMKINDS; kind++) counts[kind] = data->lists[kind].count;
    return 0;
}

// The message after an import that was done.
void describeimport(char* text, const char* path, bool merge, const importoutcome* outcome) {
    char counts[COUNTSBUFSIZE];
    describecounts(counts, sizeof counts, outcome->added);
    const char* pattern = merge ? "Added %s from\n%s\nYour settings are kept.\n\nYour data as it was before is saved in\n%s\n"
                                  "Import that file to undo this import."
                                : "Imported %s and the two advance values from\n%s\n\nYour data as it was before is saved "
                                  "in\n%s\nImport that file to undo this import.";
    composemessage(text, pattern, counts, path, outcome->backup);
}

// The message of an import that changed nothing; NULL for IMPORTDONE and IMPORTFILEFAILED.
void describerefusal(char* text, int result, const importoutcome* outcome) {
    if (result == IMPORTNOBACKUP) {
        composemessage(text, "Nothing has been imported: the copy of your current data could not be written to\n%s%s%s",
                outcome->backup, "", "");
    } else {
        composemessage(text, "Nothing has been imported: another Ruvello program kept the data files busy.%s%s%s\n"
                      "Please try again.", "", "", "");
    }
}

void printfilefatalerror(const char* path) {
    // Paths are shorter than PATHBUFSIZE; should one not be, the cut text is still told.
    char text[FATALBUFSIZE];
    composefileerror(PANELFILEERROR, path, text, sizeof text);
    fputs(text, stderr);
    fflush(stderr);
}

int runcommandline(int argc, char** argv) {
    if (argc < 2 || strncmp(argv[1], "--", 2) != 0) return NOTACOMMAND;
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(USAGE, stdout);
        return 0;
    }
    if (argc <= 3 && strcmp(argv[1], "--upcoming") == 0) return commandupcoming(argc == 3 ? argv[2] : NULL);
    if (argc == 2 && strcmp(argv[1], "--list") == 0) return commandlist();
    if (argc == 3 && strcmp(argv[1], "--add") == 0) return commandadd(argv[2]);
    if (argc == 3 && strcmp(argv[1], "--remove") == 0) return commandremove(argv[2]);
    if (argc == 3 && strcmp(argv[1], "--export") == 0) return commandexport(argv[2]);
    if (argc == 3 && strcmp(argv[1], "--import") == 0) return commandimport(argv[2], false);
    if (argc == 4 && strcmp(argv[1], "--import") == 0 && strcmp(argv[3], "--merge") == 0) {
        return commandimport(argv[2], true);
    }
    fprintf(stderr, "ruvelloconfig: unknown or incomplete options\n%s", USAGE);
    return 1;
}

int runprogramarguments(int argc, char** argv) {
    char** arguments = NULL;
    int count = utf8arguments(argc, argv, &arguments);
    // Messages of the command-line forms go to the console the program was started from.
    if (count >= 2 && strncmp(arguments[1], "--", 2) == 0) useparentconsole();
    return runcommandline(count, arguments);
}
