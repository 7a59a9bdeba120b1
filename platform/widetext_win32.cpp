#include "widetext.h"

#include "datafiles.h"

#include <FL/fl_utf8.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <share.h>

int towide(const char* text, wchar_t* wide, int size) {
    if (size <= 0) return 1;
    unsigned needed = fl_utf8towc(text, (unsigned)strlen(text), wide, (unsigned)size);
    if (needed >= (unsigned)size) {
        wide[0] = L'\0';
        return 1;
    }
    return 0;
}

int fromwide(const wchar_t* wide, char* text, int size) {
    if (size <= 0) return 1;
    unsigned needed = fl_utf8fromwc(text, (unsigned)size, wide, (unsigned)wcslen(wide));
    if (needed >= (unsigned)size) {
        text[0] = '\0';
        return 1;
    }
    return 0;
}

int openutf8file(const char* path, int flags, int mode) {
    // A UTF-8 path never needs more UTF-16 units than it has bytes.
    wchar_t widepath[PATHBUFSIZE];
    if (towide(path, widepath, PATHBUFSIZE) != 0) {
        errno = ENAMETOOLONG;
        return -1;
    }
    int fd = -1;
    int error = _wsopen_s(&fd, widepath, flags | _O_NOINHERIT, _SH_DENYNO, mode);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return fd;
}
