#include "diskwatch.h"

#include "datafiles.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

diskview panel_disk = {};

namespace {

// The stamp of an open file; false when it cannot be had.
bool stampof(FILE* file, filestamp* stamp) {
    memset(stamp, 0, sizeof *stamp);
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION information;
    HANDLE handle = (HANDLE)_get_osfhandle(_fileno(file));
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information)) return false;
    stamp->device = information.dwVolumeSerialNumber;
    stamp->inode = ((unsigned long long)information.nFileIndexHigh << 32) | information.nFileIndexLow;
    stamp->size = ((unsigned long long)information.nFileSizeHigh << 32) | information.nFileSizeLow;
    unsigned long long ticks =
        ((unsigned long long)information.ftLastWriteTime.dwHighDateTime << 32) | information.ftLastWriteTime.dwLowDateTime;
    stamp->seconds = (long long)(ticks / 10000000ULL);
    stamp->nanoseconds = (long)(ticks % 10000000ULL) * 100;
#else
    struct stat information;
    if (fstat(fileno(file), &information) != 0) return false;
    stamp->device = (unsigned long long)information.st_dev;
    stamp->inode = (unsigned long long)information.st_ino;
    stamp->size = (unsigned long long)information.st_size;
    stamp->seconds = (long long)information.st_mtim.tv_sec;
    stamp->nanoseconds = (long)information.st_mtim.tv_nsec;
#endif
    stamp->known = true;
    stamp->present = true;
    return true;
}

// The stamp of the file at path now: present false when there is none; known
// false when it cannot be looked at.
filestamp stampat(const char* path) {
    filestamp stamp = {};
    FILE* file = openforreading(path);
    if (file == NULL) {
        stamp.known = errno == ENOENT;
        return stamp;
    }
    stampof(file, &stamp);
    fclose(file);
    return stamp;
}

}  // namespace

void notereadfile(diskview* view, int which, FILE* file) {
    // The open file is the one read, even when another has taken its name since.
    if (!stampof(file, &view->files[which])) view->files[which].known = false;
}

void notemissingfile(diskview* view, int which) {
    view->files[which] = filestamp();
    view->files[which].known = true;
}

void notewrittenfile(diskview* view, int which, const char* path) { view->files[which] = stampat(path); }

bool filechanged(const diskview* view, int which, const char* path) {
    const filestamp& noted = view->files[which];
    if (!noted.known) return false;
    filestamp now = stampat(path);
    // A file that cannot be looked at is left to the next save, which reports
    // it. A file that is gone has nothing to reload: the panel keeps its copy,
    // and the next save writes the file again.
    if (!now.known || !now.present) return false;
    if (!noted.present) return true;
    return now.device != noted.device || now.inode != noted.inode || now.size != noted.size ||
           now.seconds != noted.seconds || now.nanoseconds != noted.nanoseconds;
}
