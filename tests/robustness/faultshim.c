/* A fault injector for the data-file writer, loaded with LD_PRELOAD.
 *
 * The writer makes a data file by writing a temporary file "<target>.<pid>.tmp"
 * with open, write, fsync and close, renaming it over the target and syncing
 * the folder. This library stands in front of those calls and makes exactly
 * one of them fail, chosen by the environment:
 *
 *   RUVELLO_FAULT_OP     open, write, shortwrite, eintr, fsync, close, rename
 *                        or dirfsync
 *   RUVELLO_FAULT_NTH    which matching call fails, counted from 1 (default 1)
 *   RUVELLO_FAULT_ERRNO  the error number reported (default EIO)
 *   RUVELLO_FAULT_LOG    a file to which one line is appended per injected fault
 *
 * Only calls on a temporary data file (a path ending in ".tmp") count, and for
 * dirfsync only fsyncs of a folder. "shortwrite" lets the chosen write store
 * half of its bytes and fails the next one with ENOSPC, as a disk that fills
 * up does; "eintr" interrupts the chosen write before it stores anything,
 * which a correct writer retries. A failing close still releases the
 * descriptor, as close(2) does. The log line tells a test that the fault was
 * really reached, so no test passes because the shim missed the writer.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#define MAXTRACKED 4096

enum kind { UNTRACKED = 0, TEMPORARY = 1, FOLDER = 2 };

static unsigned char tracked[MAXTRACKED];
static int counts[16];
static int shortwritepending;

static int (*real_open)(const char*, int, ...);
static int (*real_open64)(const char*, int, ...);
static int (*real_openat)(int, const char*, int, ...);
static int (*real_openat64)(int, const char*, int, ...);
static ssize_t (*real_write)(int, const void*, size_t);
static int (*real_fsync)(int);
static int (*real_fdatasync)(int);
static int (*real_close)(int);
static int (*real_rename)(const char*, const char*);
static int (*real_renameat)(int, const char*, int, const char*);
static int (*real_renameat2)(int, const char*, int, const char*, unsigned int);

/* The next definition of name, looked up at its first use (the comma makes
 * the lookup happen before the pointer is read). */
#define REAL(name) \
    ((real_##name == NULL ? (void)(*(void**)&real_##name = dlsym(RTLD_NEXT, #name)) : (void)0), real_##name)

static const char* faultop(void) {
    const char* op = getenv("RUVELLO_FAULT_OP");
    return op == NULL ? "" : op;
}

static int selected(const char* op) { return strcmp(faultop(), op) == 0; }

static int faulterrno(void) {
    const char* text = getenv("RUVELLO_FAULT_ERRNO");
    return text == NULL || atoi(text) <= 0 ? EIO : atoi(text);
}

static void logfault(const char* op, int nth) {
    const char* log = getenv("RUVELLO_FAULT_LOG");
    if (log == NULL || log[0] == '\0') return;
    int fd = REAL(open)(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    char text[128];
    int length = snprintf(text, sizeof text, "injected %s #%d\n", op, nth);
    if (length > 0 && length < (int)sizeof text) REAL(write)(fd, text, (size_t)length);
    REAL(close)(fd);
}

/* Counts one call of operation op (slot) and tells whether it is the one to fail. */
static int strikes(const char* op, int slot) {
    if (!selected(op)) return 0;
    counts[slot]++;
    const char* text = getenv("RUVELLO_FAULT_NTH");
    int nth = text == NULL || atoi(text) <= 0 ? 1 : atoi(text);
    if (counts[slot] != nth) return 0;
    logfault(op, nth);
    return 1;
}

static int istemporary(const char* path) {
    size_t length = path == NULL ? 0 : strlen(path);
    return length > 4 && strcmp(path + length - 4, ".tmp") == 0;
}

static void track(int fd, const char* path, int flags) {
    if (fd < 0 || fd >= MAXTRACKED) return;
    if (istemporary(path)) tracked[fd] = TEMPORARY;
    else if (flags & O_DIRECTORY) tracked[fd] = FOLDER;
    else tracked[fd] = UNTRACKED;
}

static int kindof(int fd) { return fd >= 0 && fd < MAXTRACKED ? tracked[fd] : UNTRACKED; }

/* The open family: a fault on open fails the opening of a temporary file. */
static int openfault(const char* path) {
    if (!istemporary(path)) return 0;
    if (!strikes("open", 0)) return 0;
    errno = faulterrno();
    return 1;
}

#define MODEARG(flags, mode)                                   \
    do {                                                       \
        if ((flags) & (O_CREAT | O_TMPFILE)) {                 \
            va_list arguments;                                 \
            va_start(arguments, flags);                        \
            mode = va_arg(arguments, int);                     \
            va_end(arguments);                                 \
        }                                                      \
    } while (0)

int open(const char* path, int flags, ...) {
    int mode = 0;
    MODEARG(flags, mode);
    if (openfault(path)) return -1;
    int fd = REAL(open)(path, flags, mode);
    track(fd, path, flags);
    return fd;
}

int open64(const char* path, int flags, ...) {
    int mode = 0;
    MODEARG(flags, mode);
    if (openfault(path)) return -1;
    int fd = REAL(open64)(path, flags, mode);
    track(fd, path, flags);
    return fd;
}

int openat(int folder, const char* path, int flags, ...) {
    int mode = 0;
    MODEARG(flags, mode);
    if (openfault(path)) return -1;
    int fd = REAL(openat)(folder, path, flags, mode);
    track(fd, path, flags);
    return fd;
}

int openat64(int folder, const char* path, int flags, ...) {
    int mode = 0;
    MODEARG(flags, mode);
    if (openfault(path)) return -1;
    int fd = REAL(openat64)(folder, path, flags, mode);
    track(fd, path, flags);
    return fd;
}

ssize_t write(int fd, const void* data, size_t size) {
    if (kindof(fd) == TEMPORARY) {
        if (shortwritepending) {
            shortwritepending = 0;
            errno = ENOSPC;
            return -1;
        }
        if (strikes("write", 1)) {
            errno = faulterrno();
            return -1;
        }
        if (strikes("eintr", 2)) {
            errno = EINTR;
            return -1;
        }
        if (size > 1 && strikes("shortwrite", 3)) {
            shortwritepending = 1;
            return REAL(write)(fd, data, size / 2);
        }
    }
    return REAL(write)(fd, data, size);
}

static int syncfault(int fd) {
    if (kindof(fd) == TEMPORARY && strikes("fsync", 4)) return 1;
    if (kindof(fd) == FOLDER && strikes("dirfsync", 5)) return 1;
    return 0;
}

int fsync(int fd) {
    if (syncfault(fd)) {
        errno = faulterrno();
        return -1;
    }
    return REAL(fsync)(fd);
}

int fdatasync(int fd) {
    if (syncfault(fd)) {
        errno = faulterrno();
        return -1;
    }
    return REAL(fdatasync)(fd);
}

int close(int fd) {
    int kind = kindof(fd);
    if (fd >= 0 && fd < MAXTRACKED) tracked[fd] = UNTRACKED;
    int result = REAL(close)(fd);
    if (result == 0 && kind == TEMPORARY && strikes("close", 6)) {
        /* The descriptor is gone all the same, as after a real failed close. */
        errno = faulterrno();
        return -1;
    }
    return result;
}

int rename(const char* from, const char* to) {
    if (istemporary(from) && strikes("rename", 7)) {
        errno = faulterrno();
        return -1;
    }
    return REAL(rename)(from, to);
}

int renameat(int fromfolder, const char* from, int tofolder, const char* to) {
    if (istemporary(from) && strikes("rename", 7)) {
        errno = faulterrno();
        return -1;
    }
    return REAL(renameat)(fromfolder, from, tofolder, to);
}

int renameat2(int fromfolder, const char* from, int tofolder, const char* to, unsigned int flags) {
    if (istemporary(from) && strikes("rename", 7)) {
        errno = faulterrno();
        return -1;
    }
    return REAL(renameat2)(fromfolder, from, tofolder, to, flags);
}
