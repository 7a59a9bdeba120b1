#include "statefolder.h"

#include "datafiles.h"
#include "fileaccess.h"
#include "userfolders.h"

#include <cstdio>
#include <cstring>

namespace {

const char STATEFOLDERNAME[] = "ruvello";

// Creates every missing folder of path up to and including its last separator.
bool makefolders(char* path) {
    for (char* c = path + 1; *c != '\0'; c++) {
        if (*c != FOLDERSEPARATOR && *c != '/') continue;
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
    if (!statebasefolder(base, sizeof base)) {
        snprintf(path, (size_t)PATHBUFSIZE, "%c%s%c%s", FOLDERSEPARATOR, STATEFOLDERNAME, FOLDERSEPARATOR, name);
        return 1;
    }
    size_t length = strlen(base);
    while (length > 1 && (base[length - 1] == FOLDERSEPARATOR || base[length - 1] == '/')) base[--length] = '\0';
    int written = snprintf(path, (size_t)PATHBUFSIZE, "%s%c%s%c", base, FOLDERSEPARATOR, STATEFOLDERNAME, FOLDERSEPARATOR);
    if (written < 0 || written >= PATHBUFSIZE) return 1;
    if (!makefolders(path)) {
        snprintf(path + written, (size_t)(PATHBUFSIZE - written), "%s", name);
        return 1;
    }
    // Our own folder is private even when an earlier version or the user made it.
    if (makefolderprivate(path) != 0) return 1;
    int total = snprintf(path + written, (size_t)(PATHBUFSIZE - written), "%s", name);
    if (total < 0 || total >= PATHBUFSIZE - written) return 1;
    return 0;
}
