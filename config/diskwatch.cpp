#include "diskwatch.h"

#include "datafiles.h"
#include "fileaccess.h"

#include <cerrno>
#include <cstring>

diskview panel_disk = {};

namespace {

// The stamp of an open file; false when it cannot be had.
bool stampof(FILE* file, filestamp* stamp) {
    memset(stamp, 0, sizeof *stamp);
    if (!openfilestamp(file, &stamp->device, &stamp->inode, &stamp->size, &stamp->seconds, &stamp->nanoseconds)) {
        return false;
    }
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
