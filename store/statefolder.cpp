#include "statefolder.h"

#include "datafiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#endif

namespace {

const char STATEFOLDERNAME[] = "ruvello";

#ifdef _WIN32
const char SEPARATOR = '\\';

// The folder above ours, as UTF-8: the toolkit and our file calls take UTF-8,
// and a profile name outside the ANSI code page must survive.
bool getbasefolder(char* base, int basesize) {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == NULL || local[0] == L'\0') return false;
    int written = WideCharToMultiByte(CP_UTF8, 0, local, -1, base, basesize, NULL, NULL);
    return written > 0;
}

// Creates one folder given in UTF-8; true when it exists afterwards.
bool makefolder(const char* folder) {
    wchar_t wide[PATHBUFSIZE];
    if (MultiByteToWideChar(CP_UTF8, 0, folder, -1, wide, PATHBUFSIZE) == 0) return false;
    if (_wmkdir(wide) == 0 || errno == EEXIST) {
        DWORD attributes = GetFileAttributesW(wide);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    return false;
}
#else
const char SEPARATOR = '/';

// $XDG_STATE_HOME when it is an absolute path (a relative one is to be ignored),
// else $HOME/.local/state.
bool getbasefolder(char* base, int basesize) {
    const char* state = getenv("XDG_STATE_HOME");
    int written;
    if (state != NULL && state[0] == '/') {
        written = snprintf(base, (size_t)basesize, "%s", state);
    } else {
        const char* home = getenv("HOME");
        if (home == NULL || home[0] == '\0') return false;
        written = snprintf(base, (size_t)basesize, "%s/.local/state", home);
    }
    return written >= 0 && written < basesize;
}

// Creates one folder, for its owner only; true when a folder stands there
// afterwards. A folder that was there already keeps its mode.
bool makefolder(const char* folder) {
    if (mkdir(folder, 0700) != 0 && errno != EEXIST) return false;
    struct stat status;
    return stat(folder, &status) == 0 && S_ISDIR(status.st_mode);
}
#endif

// Creates every missing folder of path up to and including its last separator.
bool makefolders(char* path) {
    for (char* c = path + 1; *c != '\0'; c++) {
        if (*c != SEPARATOR && *c != '/') continue;
        if (c[-1] == ':') continue;  // a Windows drive, "C:\"
        char kept = *c;
        *c = '\0';
        bool made = makefolder(path);
        *c = kept;
        if (!made) return false;
    }
    return true;
}

}  // namespace

int getstatefilename(char* path, const char* name) {
    char base[PATHBUFSIZE];
    path[0] = '\0';
    if (!getbasefolder(base, sizeof base)) {
        snprintf(path, (size_t)PATHBUFSIZE, "%c%s%c%s", SEPARATOR, STATEFOLDERNAME, SEPARATOR, name);
        return 1;
    }
    size_t length = strlen(base);
    while (length > 1 && (base[length - 1] == SEPARATOR || base[length - 1] == '/')) base[--length] = '\0';
    int written = snprintf(path, (size_t)PATHBUFSIZE, "%s%c%s%c", base, SEPARATOR, STATEFOLDERNAME, SEPARATOR);
    if (written < 0 || written >= PATHBUFSIZE) return 1;
    if (!makefolders(path)) {
        snprintf(path + written, (size_t)(PATHBUFSIZE - written), "%s", name);
        return 1;
    }
#ifndef _WIN32
    // Our own folder is private even when an earlier version or the user made it.
    if (chmod(path, 0700) != 0) return 1;
#endif
    int total = snprintf(path + written, (size_t)(PATHBUFSIZE - written), "%s", name);
    if (total < 0 || total >= PATHBUFSIZE - written) return 1;
    return 0;
}
