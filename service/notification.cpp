#include "notification.h"

#include "alarmlines.h"
#include "calendar.h"
#include "datafiles.h"
#include "errorbox.h"

#include <cstdlib>
#include <cstring>

const char OUTOFMEMORYMESSAGE[] = "Ruvello - Out of memory error.\n\nPlease contact the author about this error:\n";

int makequotedargument(const char* line, char* argument, int size) {
    if (size <= 0) return 1;
    argument[0] = '\0';
    // Inside quotes a backslash is an ordinary character, except in a run that
    // ends at a quote: there each pair gives one backslash, and an odd one
    // makes the quote a character of the text. The line keeps no quote of its
    // own, so only the run before the closing quote needs doubling.
    size_t length = strlen(line);
    size_t trailing = 0;
    while (trailing < length && line[length - 1 - trailing] == '\\') trailing++;
    if (length + trailing + 3 > (size_t)size) return 1;
    int used = 0;
    argument[used++] = '"';
    for (const char* c = line; *c != '\0'; c++) argument[used++] = *c == '"' ? '*' : *c;
    for (size_t i = 0; i < trailing; i++) argument[used++] = '\\';
    argument[used++] = '"';
    argument[used] = '\0';
    return 0;
}

int makenotificationargument(const char* line, char* argument, int size) {
    // A line that reaches the message box through a command line is quoted;
    // otherwise it is its one argument as it stands.
    if (ARGUMENTQUOTED) return makequotedargument(line, argument, size);
    if (size <= 0) return 1;
    argument[0] = '\0';
    if ((int)strlen(line) + 1 > size) return 1;
    int used = 0;
    for (const char* c = line; *c != '\0'; c++) argument[used++] = *c == '"' ? '*' : *c;
    argument[used] = '\0';
    return 0;
}

bool launchnotification(const char* line, const char* due) {
    char argument[ARGUMENTBUFSIZE];
    if (makenotificationargument(line, argument, sizeof argument) != 0) return false;
    // The box is told which minute it announces, which the line alone cannot
    // say for an alarm announced in advance or caught up.
    char setting[STAMPBUFSIZE + sizeof DUEVARIABLE];
    int written = snprintf(setting, sizeof setting, "%s=%.16s", DUEVARIABLE, due);
    if (written < 0 || written >= (int)sizeof setting) return false;
    // The copy beside the service comes first, so a build or an installation
    // uses its own message box whatever the search path holds; the service may
    // have been started from any working folder.
    char folder[PROGRAMPATHSIZE];
    if (!ownfolder(folder, sizeof folder)) folder[0] = '\0';
    return startprogram(folder, MSGBOXPROGRAM, argument, setting);
}

int makefileerrormessage(const char* path, char* message, int size) {
    return composefileerror(SERVICEFILEERROR, path, message, size);
}

void fatalerrorandexit(const char* message, FILE* file) {
    if (file != NULL) fclose(file);
    fputs(message, stderr);
    fflush(stderr);
    showerrorbox(message);
    exit(1);
}

void reportfileerrorandexit(const char* path) {
    char message[MESSAGEBUFSIZE];
    // A path cut short still names the file well enough to find it.
    makefileerrormessage(path, message, sizeof message);
    fputs(message, stderr);
    fflush(stderr);
    showerrorbox(message);
    exit(1);
}
