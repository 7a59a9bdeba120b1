#include "datafiles.h"

#include <FL/Fl_Preferences.H>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include "widetext.h"

#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const char FOLDERENDING[] = "ruvello/config/";

// The toolkit reports success even when it cut the folder short, and with HOME
// unset or empty it gives a folder outside the user's home: both are refused.
bool folderisusable(const char* folder) {
    size_t length = strlen(folder);
    size_t endinglength = strlen(FOLDERENDING);
    if (length < endinglength || strcmp(folder + length - endinglength, FOLDERENDING) != 0) return false;
#ifndef _WIN32
    if (!folderbelowhome(folder, getenv("HOME"))) return false;
#endif
    return true;
}

#ifndef _WIN32
// The folder holds one person's reminders: only its owner may enter it.
void makeprivate(const char* folder) {
    char parent[FOLDERBUFSIZE];
    chmod(folder, 0700);
    // The vendor folder above it ("ruvello/") is ours too.
    int written = snprintf(parent, sizeof parent, "%s", folder);
    if (written < 0 || written >= (int)sizeof parent) return;
    size_t length = strlen(parent);
    if (length < 2) return;
    parent[length - 1] = '\0';
    char* slash = strrchr(parent, '/');
    if (slash == NULL) return;
    slash[1] = '\0';
    chmod(parent, 0700);
}
#endif

// Opens path for reading only to see that it can be read as a data file.
bool canberead(const char* path) {
    FILE* file = openforreading(path);
    if (file == NULL) return false;
    fclose(file);
    return true;
}

// Creates path empty, and only if nothing stands there yet. 0 created, EEXIST
// when something already stands there, another errno value on other failures.
int createexclusive(const char* path) {
#ifdef _WIN32
    int fd = openutf8file(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno;
    if (_close(fd) != 0) return errno;
    return 0;
#else
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    if (close(fd) != 0) return errno;
    return 0;
#endif
}

}  // namespace

bool folderbelowhome(const char* folder, const char* home) {
    if (home == NULL || home[0] == '\0') return false;
    // Without its closing slashes a home of "/" is empty, and every absolute
    // folder lies below it.
    size_t homelength = strlen(home);
    while (homelength > 0 && home[homelength - 1] == '/') homelength--;
    return strncmp(folder, home, homelength) == 0 && folder[homelength] == '/';
}

int getfilename(char* path, const char* name) {
    char folder[FOLDERBUFSIZE];
    memset(folder, 0, sizeof folder);
    memset(path, 0, PATHBUFSIZE);
#ifndef _WIN32
    // Without a home the toolkit would make a folder elsewhere (below /etc or
    // the root folder); it is not asked, and the path names what is missing.
    const char* home = getenv("HOME");
    if (home == NULL || home[0] == '\0') {
        int written = snprintf(path, PATHBUFSIZE, "$HOME/.fltk/ruvello/config/%s", name);
        if (written < 0 || written >= PATHBUFSIZE) path[0] = '\0';
        return 1;
    }
#endif
    {
        Fl_Preferences preferences(Fl_Preferences::USER, "ruvello", "config");
        preferences.getUserdataPath(folder, sizeof folder);
    }
    bool usable = folderisusable(folder);
    // The folder and the name, or as much of them as fits, for a message.
    size_t folderlength = strlen(folder);
    size_t namelength = strlen(name);
    if (folderlength + namelength >= (size_t)PATHBUFSIZE) usable = false;
    size_t kept = folderlength < (size_t)PATHBUFSIZE - 1 ? folderlength : (size_t)PATHBUFSIZE - 1;
    memcpy(path, folder, kept);
    size_t room = (size_t)PATHBUFSIZE - 1 - kept;
    memcpy(path + kept, name, namelength < room ? namelength : room);
#ifndef _WIN32
    if (usable) makeprivate(folder);
#endif
    pathmanipulator(path);
    return usable ? 0 : 1;
}

const datafile DATAFILETABLE[DATAFILES] = {
    {"config.dat", "Configuration File", KINDSETTINGS},
    {"single_alerts.dat", "data file for simple alarms", KINDSINGLE},
    {"monthly_alerts.dat", "data file for monthly alarms", KINDMONTHLY},
    {"annual_alerts.dat", "data file for annual alarms", KINDANNUAL},
};

int getdatafilename(char* path, int number) { return getfilename(path, DATAFILETABLE[number].name); }

int datafileofkind(int kind) {
    for (int number = 0; number < DATAFILES; number++) {
        if (DATAFILETABLE[number].kind == kind) return number;
    }
    return -1;
}

int getconfigfilename(char* path) { return getdatafilename(path, DATACONFIG); }
int getsinglealertfilename(char* path) { return getdatafilename(path, DATASINGLE); }
int getmonthlyalertfilename(char* path) { return getdatafilename(path, DATAMONTHLY); }
int getannualalertfilename(char* path) { return getdatafilename(path, DATAANNUAL); }

void pathmanipulator(char* path) {
#ifdef _WIN32
    for (char* c = path; *c != '\0'; c++) {
        if (*c == '/') *c = '\\';
    }
#else
    (void)path;  // '/' is already the native separator.
#endif
}

int createifabsent(char* path) {
    if (canberead(path)) return 0;
    // An exclusive create never empties a file that exists, even one that cannot
    // be read; when the other program has just created it, it is read-opened again.
    int error = createexclusive(path);
    if (error == 0) {
#ifndef _WIN32
        chmod(path, 0600);
#endif
        printf("The following file has been created:\n\t\"%s\"\n", path);
        fflush(stdout);
        return 0;
    }
    if (error == EEXIST && canberead(path)) return 0;
    printf("ERROR: cannot create the following file\n\t\"%s\"\n", path);
    fflush(stdout);
    return 1;
}

const char PANELFILEERROR[] = "Cannot create or access the following file";
const char SERVICEFILEERROR[] = "Cannot create, read or write the following file";

int composefileerror(const char* what, const char* path, char* text, int size) {
    // A path cut short still names the file well enough to find it.
    int written = snprintf(text, (size_t)size, "FATAL ERROR\n%s\n   \"%s\"", what, path);
    return written < 0 || written >= size ? 1 : 0;
}

bool readonedataline(FILE* file, char* line) {
    for (;;) {
        // fgets reads one piece: up to and with a line feed, at most DATAPIECEMAX bytes.
        if (fgets(line, LINEBUFSIZE, file) == NULL) return false;
        if (takedataline(line, (int)strlen(line), line)) return true;
    }
}

bool datareadfailed(FILE* file) { return ferror(file) != 0; }

FILE* openforreading(const char* path) {
#ifdef _WIN32
    // The path is UTF-8, as the toolkit gives it. Others may rename or delete
    // the file while it is read: the configurator then replaces a list that
    // the service is reading, and the reader keeps the old file. The handle
    // is not inherited by a message box started meanwhile. Only a file on
    // disk is a data file; a folder cannot be opened this way at all.
    // errno tells a missing file (ENOENT) from one that cannot be read, as on Linux.
    wchar_t widepath[PATHBUFSIZE];
    if (towide(path, widepath, PATHBUFSIZE) != 0) {
        errno = ENAMETOOLONG;
        return NULL;
    }
    HANDLE handle = CreateFileW(widepath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
        return NULL;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        errno = EINVAL;
        return NULL;
    }
    int fd = _open_osfhandle((intptr_t)handle, _O_RDONLY | _O_TEXT);
    if (fd < 0) {
        CloseHandle(handle);
        return NULL;
    }
    FILE* file = _fdopen(fd, "r");
    if (file == NULL) _close(fd);
    return file;
#else
    // Only a regular file is a data file. A pipe would keep its opener waiting
    // for a writer, and a device such as /dev/zero gives bytes without end, so
    // the open does not wait and anything else is refused. The descriptor is
    // closed on exec: a program started while a file is read does not keep it.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NULL;
    struct stat info;
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        errno = EINVAL;
        return NULL;
    }
    FILE* file = fdopen(fd, "r");
    if (file == NULL) close(fd);
    return file;
#endif
}
