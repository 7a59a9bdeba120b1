// The file calls of the store on Linux.
#include "fileaccess.h"


#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

const char LINEEND[] = "\n";
const char FOLDERSEPARATOR = '/';

namespace {

// Symbolic links followed at most, as the system itself allows.
const int MAXLINKS = 40;

// Makes the rename itself durable: the folder's entry is on disk when this returns.
int syncfolderof(const char* target) {
    char folder[PATH_MAX];
    const char* slash = strrchr(target, '/');
    int written = slash == NULL ? snprintf(folder, sizeof folder, ".")
                                : snprintf(folder, sizeof folder, "%.*s", (int)(slash - target) + 1, target);
    if (written < 0 || written >= (int)sizeof folder) return 1;
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 1;
    int result = fsync(fd) == 0 ? 0 : 1;
    if (close(fd) != 0) result = 1;
    return result;
}

}  // namespace

FILE* openregularfile(const char* path) {
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
}

int createexclusive(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    if (close(fd) != 0) return errno;
    return 0;
}

void makefileprivate(const char* path) { chmod(path, 0600); }

int makefolderprivate(const char* folder) { return chmod(folder, 0700) == 0 ? 0 : 1; }

bool makefolder(const char* folder) {
    // A folder that was there already keeps its mode.
    if (mkdir(folder, 0700) != 0 && errno != EEXIST) return false;
    struct stat status;
    return stat(folder, &status) == 0 && S_ISDIR(status.st_mode);
}

char* lastseparator(char* path) { return strrchr(path, '/'); }

bool processisrunning(unsigned long number) {
    if (number == 0 || number > (unsigned long)INT_MAX) return false;
    // EPERM: it runs, as another user's process.
    return kill((pid_t)number, 0) == 0 || errno == EPERM;
}

int forentriesnamed(const char* folder, const char* prefix, entryvisitor each, void* context) {
    DIR* entries = opendir(folder);
    if (entries == NULL) return 1;
    size_t prefixlength = strlen(prefix);
    for (struct dirent* entry = readdir(entries); entry != NULL; entry = readdir(entries)) {
        if (strncmp(entry->d_name, prefix, prefixlength) == 0) each(entry->d_name, context);
    }
    closedir(entries);
    return 0;
}

int followlinks(char* target, int targetsize) {
    for (int hops = 0; hops < MAXLINKS; hops++) {
        char link[PATH_MAX];
        ssize_t length = readlink(target, link, sizeof link - 1);
        if (length < 0) return errno == EINVAL || errno == ENOENT ? 0 : 1;
        link[length] = '\0';
        char next[PATH_MAX];
        int written;
        if (link[0] == '/') {
            written = snprintf(next, sizeof next, "%s", link);
        } else {
            // A relative link is relative to the folder of the link itself.
            const char* slash = strrchr(target, '/');
            int folderlength = slash == NULL ? 0 : (int)(slash - target) + 1;
            written = snprintf(next, sizeof next, "%.*s%s", folderlength, target, link);
        }
        if (written < 0 || written >= (int)sizeof next) return 1;
        written = snprintf(target, (size_t)targetsize, "%s", next);
        if (written < 0 || written >= targetsize) return 1;
    }
    return 1;
}

unsigned long processnumber() { return (unsigned long)getpid(); }

int opentemporary(const char* temporary) {
    int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 && fchmod(fd, 0600) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool writeall(int fd, const char* bytes, size_t length) {
    size_t done = 0;
    while (done < length) {
        ssize_t written = write(fd, bytes + done, length - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += (size_t)written;
    }
    return true;
}

int closewritten(int fd, bool sync) {
    bool failed = sync && fsync(fd) != 0;
    if (close(fd) != 0) failed = true;
    return failed ? 1 : 0;
}

int replacewithtemporary(const char* temporary, const char* target) {
    if (rename(temporary, target) != 0) return 1;
    return syncfolderof(target);
}

int placetemporary(const char* temporary, const char* target) {
    // A second name for the finished file fails when the name is taken; the
    // temporary name is then let go.
    if (link(temporary, target) == 0) {
        unlink(temporary);
        return syncfolderof(target);
    }
    if (errno == EEXIST) return PLACETAKEN;
    if (errno != EPERM && errno != EOPNOTSUPP) return 1;
    // A file system without hard links: a rename that refuses to replace.
    if (renameat2(AT_FDCWD, temporary, AT_FDCWD, target, RENAME_NOREPLACE) != 0) return errno == EEXIST ? PLACETAKEN : 1;
    return syncfolderof(target);
}

void removefile(const char* path) { remove(path); }

bool samefile(const char* path, const char* other) {
    struct stat first;
    struct stat second;
    if (strcmp(path, other) == 0) return true;
    return stat(path, &first) == 0 && stat(other, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool openfilestamp(FILE* file, unsigned long long* device, unsigned long long* inode, unsigned long long* size,
                   long long* seconds, long* nanoseconds) {
    struct stat information;
    if (fstat(fileno(file), &information) != 0) return false;
    *device = (unsigned long long)information.st_dev;
    *inode = (unsigned long long)information.st_ino;
    *size = (unsigned long long)information.st_size;
    *seconds = (long long)information.st_mtim.tv_sec;
    *nanoseconds = (long)information.st_mtim.tv_nsec;
    return true;
}
