#include "notification.h"

#include "desktop.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include "widetext.h"

#include <windows.h>
#include <shellapi.h>
#else
#include <csignal>
#include <limits.h>
#include <spawn.h>
#include <unistd.h>
extern char** environ;
#endif

#ifdef _WIN32
const char LAUNCHFAILUREMESSAGE[] =
    "Ruvello cannot run \"ruvellomsgbox.exe\"\n\n  Fatal error: the application is quitting.";
#else
const char LAUNCHFAILUREMESSAGE[] =
    "Ruvello cannot run \"ruvellomsgbox\"\n\n  Fatal error: the application is quitting.";
#endif
const char OUTOFMEMORYMESSAGE[] = "Ruvello - Out of memory error.\n\nPlease contact the author about this error:\n";

namespace {

#ifdef _WIN32
const char MSGBOXPROGRAM[] = "ruvellomsgbox.exe";
const char FOLDERSEPARATOR = '\\';
// Room for the running executable's path as Windows gives it, in UTF-16 units.
const int MODULEPATHSIZE = 1024;
// Room for that folder in UTF-8 (up to three bytes a unit) and a program name
// after it; as many UTF-16 units always suffice for the same text.
const int PROGRAMPATHSIZE = 3 * MODULEPATHSIZE + 64;
#else
const char MSGBOXPROGRAM[] = "ruvellomsgbox";
const char FOLDERSEPARATOR = '/';
// Room for the folder of the running executable and a program name after it.
const int PROGRAMPATHSIZE = PATH_MAX + 64;
#endif

#ifdef _WIN32
// Starts program (a full path, or a bare name for the shell's own search) with
// the parameter text. Both are UTF-8 and go to the shell as UTF-16, so every
// letter of the line arrives as it was typed. True when the shell started it.
bool shellstart(const char* program, const char* parameters) {
    wchar_t wideprogram[PROGRAMPATHSIZE];
    wchar_t wideparameters[ARGUMENTBUFSIZE];
    if (towide(program, wideprogram, PROGRAMPATHSIZE) != 0) return false;
    if (towide(parameters, wideparameters, ARGUMENTBUFSIZE) != 0) return false;
    return (INT_PTR)ShellExecuteW(NULL, NULL, wideprogram, wideparameters, NULL, SW_SHOWNORMAL) > 32;
}

// True when a file (not a folder) stands at the UTF-8 path.
bool fileisthere(const char* path) {
    wchar_t widepath[PROGRAMPATHSIZE];
    if (towide(path, widepath, PROGRAMPATHSIZE) != 0) return false;
    DWORD attributes = GetFileAttributesW(widepath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of the running executable in UTF-8, without its closing '\';
// false when it cannot be found.
bool ownfolder(char* folder, int size) {
    wchar_t module[MODULEPATHSIZE];
    DWORD length = GetModuleFileNameW(NULL, module, MODULEPATHSIZE);
    // A path that fills the buffer was cut short.
    if (length == 0 || length >= (DWORD)MODULEPATHSIZE) return false;
    wchar_t* slash = wcsrchr(module, L'\\');
    if (slash == NULL) return false;
    *slash = L'\0';
    return fromwide(module, folder, size) == 0;
}
#else
// Starts path (or name searched on PATH) with one argument; true when the exec
// succeeded, which glibc's posix_spawn reports as its own result. The child
// gets default handling for every signal and an empty signal mask, whatever
// the service ignores or blocks.
bool spawnwithargument(const char* path, bool searchpath, const char* argument) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return false;
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    bool ready = posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
                 posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
                 posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) == 0;
    int result = -1;
    if (ready) {
        const char* name = strrchr(path, '/');
        name = name == NULL ? path : name + 1;
        char* arguments[3] = {const_cast<char*>(name), const_cast<char*>(argument), NULL};
        pid_t child;
        if (searchpath) result = posix_spawnp(&child, path, NULL, &attributes, arguments, environ);
        else result = posix_spawn(&child, path, NULL, &attributes, arguments, environ);
    }
    posix_spawnattr_destroy(&attributes);
    return result == 0;
}

// The folder of the running executable, without its closing '/'; false when
// it cannot be found.
bool ownfolder(char* folder, int size) {
    ssize_t length = readlink("/proc/self/exe", folder, size - 1);
    if (length <= 0 || length >= size - 1) return false;
    folder[length] = '\0';
    char* slash = strrchr(folder, '/');
    if (slash == NULL) return false;
    *slash = '\0';
    return true;
}
#endif

}  // namespace

void preparelaunching() {
#ifndef _WIN32
    // The service never waits for the programs it starts; with SIGCHLD ignored
    // the system reaps them as they end, so none lingers as a zombie. Started
    // programs get default handling back (see spawnwithargument).
    signal(SIGCHLD, SIG_IGN);
#endif
}

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
#ifdef _WIN32
    // The shell takes the whole parameter text; the quotes keep the line one argument.
    return makequotedargument(line, argument, size);
#else
    // Without a shell the line is one argv element as it stands.
    if (size <= 0) return 1;
    argument[0] = '\0';
    if ((int)strlen(line) + 1 > size) return 1;
    int used = 0;
    for (const char* c = line; *c != '\0'; c++) argument[used++] = *c == '"' ? '*' : *c;
    argument[used] = '\0';
    return 0;
#endif
}

bool startprogram(const char* folder, const char* name, const char* argument) {
    if (folder != NULL && folder[0] != '\0') {
        char path[PROGRAMPATHSIZE];
        int written = snprintf(path, sizeof path, "%s%c%s", folder, FOLDERSEPARATOR, name);
        bool fits = written > 0 && written < (int)sizeof path;
#ifdef _WIN32
        // Only a copy that is there is handed to the shell, which would
        // otherwise report the missing file; the bare name is searched for next.
        if (fits && fileisthere(path) && shellstart(path, argument)) return true;
#else
        if (fits && spawnwithargument(path, false, argument)) return true;
#endif
    }
#ifdef _WIN32
    return shellstart(name, argument);
#else
    return spawnwithargument(name, true, argument);
#endif
}

bool launchnotification(const char* line) {
    char argument[ARGUMENTBUFSIZE];
    if (makenotificationargument(line, argument, sizeof argument) != 0) return false;
    // The copy beside the service comes first, so a build or an installation
    // uses its own message box whatever the search path holds; the service may
    // have been started from any working folder.
    char folder[PROGRAMPATHSIZE];
    if (!ownfolder(folder, sizeof folder)) folder[0] = '\0';
    return startprogram(folder, MSGBOXPROGRAM, argument);
}

int makefileerrormessage(const char* path, char* message, int size) {
    int written = snprintf(message, size, "FATAL ERROR\nCannot create, read or write the following file\n   \"%s\"", path);
    return written < 0 || written >= size ? 1 : 0;
}

void showerrorbox(const char* text) {
#ifdef _WIN32
    Fl::check();
    // A path in the text is UTF-8; the wide call shows its letters as they are.
    wchar_t widetext[MESSAGEBUFSIZE];
    if (towide(text, widetext, MESSAGEBUFSIZE) == 0) MessageBoxW(NULL, widetext, L"Ruvello", MB_ICONERROR | MB_OK);
    else MessageBoxA(NULL, text, "Ruvello", MB_ICONERROR | MB_OK);
#else
    // Without a display the toolkit's dialog would end the process with its
    // own message; standard error already carries the text then.
    if (!candisplay()) return;
    Fl::check();
    // A path may hold '@', which the toolkit would read as a symbol.
    char label[2 * MESSAGEBUFSIZE + 1];
    if (quoteforlabel(text, label, sizeof label) != 0) return;
    fl_message_title("Ruvello");
    fl_alert("%s", label);
#endif
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
