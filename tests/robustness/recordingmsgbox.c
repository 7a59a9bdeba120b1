/* A stand-in for ruvellomsgbox that records how it was started: one line per
 * run appended to the file named by RUVELLO_RECORD_LOG, "<argc>" followed by
 * each argument after the program name as a space and its bytes in hex, and
 * for each descriptor beyond the standard three that it inherited a line
 * "fd <what it names, in hex>". It is copied beside a copy of the service,
 * which starts it first. */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* Appends "fd <hex>" lines for every inherited descriptor above 2 to record. */
static int listdescriptors(char* record, size_t size, int used) {
    DIR* folder = opendir("/proc/self/fd");
    if (folder == NULL) return used;
    int own = dirfd(folder);
    struct dirent* entry;
    while ((entry = readdir(folder)) != NULL) {
        int fd = atoi(entry->d_name);
        if (entry->d_name[0] == '.' || fd <= 2 || fd == own) continue;
        char link[64];
        char target[1024];
        snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        ssize_t length = readlink(link, target, sizeof target - 1);
        if (length < 0) continue;
        if ((size_t)used + 4 + 2 * (size_t)length + 2 > size) break;
        used += snprintf(record + used, size - (size_t)used, "fd ");
        for (ssize_t i = 0; i < length; i++) used += snprintf(record + used, size - (size_t)used, "%02x", (unsigned char)target[i]);
        record[used++] = '\n';
    }
    closedir(folder);
    return used;
}

int main(int argc, char** argv) {
    const char* log = getenv("RUVELLO_RECORD_LOG");
    if (log == NULL) return 3;
    size_t size = 32 + 64 * 1024;
    for (int i = 1; i < argc; i++) size += 1 + 2 * strlen(argv[i]);
    char* record = malloc(size);
    if (record == NULL) return 3;
    int used = snprintf(record, size, "%d", argc);
    for (int i = 1; i < argc; i++) {
        record[used++] = ' ';
        for (const unsigned char* c = (const unsigned char*)argv[i]; *c != '\0'; c++) {
            used += snprintf(record + used, size - (size_t)used, "%02x", *c);
        }
    }
    record[used++] = '\n';
    used = listdescriptors(record, size, used);
    /* One write to a file opened for appending: records of parallel runs never mix. */
    int fd = open(log, O_WRONLY | O_CREAT | O_APPEND, 0600);
    int result = fd >= 0 && write(fd, record, (size_t)used) == used ? 0 : 3;
    if (fd >= 0) close(fd);
    free(record);
    return result;
}
