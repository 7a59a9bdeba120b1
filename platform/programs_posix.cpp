// Starting programs and reading the command line on Linux.
#include "programs.h"

#include "fileaccess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

const char MSGBOXPROGRAM[] = "ruvellomsgbox";
const char LAUNCHFAILUREMESSAGE[] = "Ruvello cannot run \"ruvellomsgbox\"\n\n  Fatal error: the application is quitting.";
// Without a shell the line is one argv element as it stands.
const bool ARGUMENTQUOTED = false;

namespace {

// Starts path (or name searched on PATH) with one argument; true when the exec
// succeeded, which glibc's posix_spawn reports as its own result. The child
// gets default handling for every signal and an empty signal mask, whatever
// the service ignores or blocks.
bool spawnwithargument(const char* path, bool searchpath, const char* argument, char* const* environment) {
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
        if (searchpath) result = posix_spawnp(&child, path, NULL, &attributes, arguments, environment);
        else result = posix_spawn(&child, path, NULL, &attributes, arguments, environment);
    }
    posix_spawnattr_destroy(&attributes);
    return result == 0;
}

}  // namespace

void preparelaunching() {
    // The service never waits for the programs it starts; with SIGCHLD ignored
    // the system reaps them as they end, so none lingers as a zombie. Started
    // programs get default handling back (see spawnwithargument).
    signal(SIGCHLD, SIG_IGN);
}

bool startprogram(const char* folder, const char* name, const char* argument, const char* setting) {
    // The environment is the service's own, with setting in place of any
    // value of its name that the service inherited itself.
    char** environment = environ;
    if (setting != NULL) {
        const char* equals = strchr(setting, '=');
        size_t namelength = equals != NULL ? (size_t)(equals - setting) + 1 : strlen(setting);
        int count = 0;
        while (environ[count] != NULL) count++;
        environment = (char**)malloc(sizeof(char*) * (size_t)(count + 2));
        if (environment == NULL) return false;
        int used = 0;
        for (int i = 0; i < count; i++) {
            if (strncmp(environ[i], setting, namelength) != 0) environment[used++] = environ[i];
        }
        environment[used++] = const_cast<char*>(setting);
        environment[used] = NULL;
    }
    bool started = false;
    if (folder != NULL && folder[0] != '\0') {
        char path[PROGRAMPATHSIZE];
        int written = snprintf(path, sizeof path, "%s%c%s", folder, FOLDERSEPARATOR, name);
        bool fits = written > 0 && written < (int)sizeof path;
        started = fits && spawnwithargument(path, false, argument, environment);
    }
    if (!started) started = spawnwithargument(name, true, argument, environment);
    if (environment != environ) free(environment);
    return started;
}

bool ownfolder(char* folder, int size) {
    ssize_t length = readlink("/proc/self/exe", folder, size - 1);
    if (length <= 0 || length >= size - 1) return false;
    folder[length] = '\0';
    char* slash = strrchr(folder, '/');
    if (slash == NULL) return false;
    *slash = '\0';
    return true;
}

// Without this a file-size limit (RLIMIT_FSIZE) would kill the writer with
// SIGXFSZ halfway through a save; ignored, the write fails with EFBIG, which
// the writer reports.
void ignorefilesizesignal() { signal(SIGXFSZ, SIG_IGN); }

int utf8arguments(int argc, char** argv, char*** arguments) {
    // The arguments are the bytes the user typed, which the system reads as UTF-8.
    *arguments = argv;
    return argc;
}

// A program started from a terminal writes to it already.
void useparentconsole() {}
