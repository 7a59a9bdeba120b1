#include "notification.h"

#include "desktop.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
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

#ifndef _WIN32
// Room for the folder of the running executable and a program name after it.
const int PROGRAMPATHSIZE = PATH_MAX + 64;

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

int makenotificationargument(const char* line, char* argument, int size) {
    int used = 0;
#ifdef _WIN32
    // The shell takes the whole parameter text; the quotes keep the line one argument.
    const bool quoted = true;
#else
    // Without a shell the line is one argv element as it stands.
    const bool quoted = false;
#endif
    int need = (int)strlen(line) + (quoted ? 2 : 0) + 1;
    if (size <= 0) return 1;
    argument[0] = '\0';
    if (need > size) return 1;
    if (quoted) argument[used++] = '"';
    for (const char* c = line; *c != '\0'; c++) argument[used++] = *c == '"' ? '*' : *c;
    if (quoted) argument[used++] = '"';
    argument[used] = '\0';
    return 0;
}

bool startprogram(const char* folder, const char* name, const char* argument) {
#ifdef _WIN32
    (void)folder;
    return (INT_PTR)ShellExecuteA(NULL, NULL, name, argument, NULL, SW_SHOWNORMAL) > 32;
#else
    if (folder != NULL && folder[0] != '\0') {
        char path[PROGRAMPATHSIZE];
        int written = snprintf(path, sizeof path, "%s/%s", folder, name);
        if (written > 0 && written < (int)sizeof path && spawnwithargument(path, false, argument)) return true;
    }
    return spawnwithargument(name, true, argument);
#endif
}

bool launchnotification(const char* line) {
    char argument[ARGUMENTBUFSIZE];
    if (makenotificationargument(line, argument, sizeof argument) != 0) return false;
#ifdef _WIN32
    return startprogram(NULL, "ruvellomsgbox.exe", argument);
#else
    // The copy beside the service comes first, so a build or an installation
    // uses its own message box whatever PATH holds.
    char folder[PROGRAMPATHSIZE];
    if (!ownfolder(folder, sizeof folder)) folder[0] = '\0';
    return startprogram(folder, "ruvellomsgbox", argument);
#endif
}

int makefileerrormessage(const char* path, char* message, int size) {
    int written = snprintf(message, size, "FATAL ERROR\nCannot create, read or write the following file\n   \"%s\"", path);
    return written < 0 || written >= size ? 1 : 0;
}

void showerrorbox(const char* text) {
#ifdef _WIN32
    Fl::check();
    MessageBoxA(NULL, text, "Ruvello", MB_ICONERROR | MB_OK);
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
