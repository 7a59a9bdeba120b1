#include "datafiles.h"

#include "fileaccess.h"
#include "userfolders.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

const char FOLDERENDING[] = "ruvello/config/";

// The toolkit reports success even when it cut the folder short, and with HOME
// unset or empty it gives a folder outside the user's home: both are refused.
// A folder that could not be found at all comes empty and is refused as well.
bool folderisusable(const char* folder) {
    size_t length = strlen(folder);
    size_t endinglength = strlen(FOLDERENDING);
    if (length < endinglength || strcmp(folder + length - endinglength, FOLDERENDING) != 0) return false;
    if (datafolderneedshome() && !folderbelowhome(folder, homefolder())) return false;
    return true;
}

// The folder holds one person's reminders: only its owner may enter it.
void makeprivate(const char* folder) {
    char parent[FOLDERBUFSIZE];
    makefolderprivate(folder);
    // The vendor folder above it ("ruvello/") is ours too.
    int written = snprintf(parent, sizeof parent, "%s", folder);
    if (written < 0 || written >= (int)sizeof parent) return;
    size_t length = strlen(parent);
    if (length < 2) return;
    parent[length - 1] = '\0';
    char* slash = strrchr(parent, '/');
    if (slash == NULL) return;
    slash[1] = '\0';
    makefolderprivate(parent);
}

// Opens path for reading only to see that it can be read as a data file.
bool canberead(const char* path) {
    FILE* file = openforreading(path);
    if (file == NULL) return false;
    fclose(file);
    return true;
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
    // Without a home the toolkit would make a folder elsewhere (below /etc or
    // the root folder); it is not asked, and the path names what is missing.
    if (datafolderneedshome() && homefolder() == NULL) {
        int written = snprintf(path, PATHBUFSIZE, "$HOME/.fltk/ruvello/config/%s", name);
        if (written < 0 || written >= PATHBUFSIZE) path[0] = '\0';
        return 1;
    }
    userdatafolder(folder, sizeof folder);
    bool usable = folderisusable(folder);
    // The folder and the name, or as much of them as fits, for a message.
    size_t folderlength = strlen(folder);
    size_t namelength = strlen(name);
    if (folderlength + namelength >= (size_t)PATHBUFSIZE) usable = false;
    size_t kept = folderlength < (size_t)PATHBUFSIZE - 1 ? folderlength : (size_t)PATHBUFSIZE - 1;
    memcpy(path, folder, kept);
    size_t room = (size_t)PATHBUFSIZE - 1 - kept;
    memcpy(path + kept, name, namelength < room ? namelength : room);
    if (usable) makeprivate(folder);
    pathmanipulator(path);
    return usable ? 0 : 1;
}

const datafile DATAFILETABLE[DATAFILES] = {
    {"config.dat", "Configuration File"},
    {"single_alerts.dat", "data file for simple alarms"},
    {"monthly_alerts.dat", "data file for monthly alarms"},
    {"annual_alerts.dat", "data file for annual alarms"},
    {"weekly_alerts.dat", "data file for weekly alarms"},
};

int getdatafilename(char* path, int number) { return getfilename(path, DATAFILETABLE[number].name); }

int getconfigfilename(char* path) { return getdatafilename(path, DATACONFIG); }
int getsinglealertfilename(char* path) { return getdatafilename(path, DATASINGLE); }
int getmonthlyalertfilename(char* path) { return getdatafilename(path, DATAMONTHLY); }
int getannualalertfilename(char* path) { return getdatafilename(path, DATAANNUAL); }
int getweeklyalertfilename(char* path) { return getdatafilename(path, DATAWEEKLY); }

void pathmanipulator(char* path) {
    // The toolkit writes '/'; on Linux that is the native separator already.
    for (char* c = path; *c != '\0'; c++) {
        if (*c == '/') *c = FOLDERSEPARATOR;
    }
}

int createifabsent(char* path) {
    if (canberead(path)) return 0;
    // An exclusive create never empties a file that exists, even one that cannot
    // be read; when the other program has just created it, it is read-opened again.
    int error = createexclusive(path);
    if (error == 0) {
        makefileprivate(path);
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

FILE* openforreading(const char* path) { return openregularfile(path); }
