/* A stand-in for ruvellomsgbox that records how it was started: one line per
 * run appended to the file named by RUVELLO_RECORD_LOG, "<argc>" followed by
 * each argument after the program name as a space and its bytes in hex. It is
 * copied beside a copy of the service, which starts it first. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* log = getenv("RUVELLO_RECORD_LOG");
    if (log == NULL) return 3;
    size_t size = 32;
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
    /* One write to a file opened for appending: records of parallel runs never mix. */
    int fd = open(log, O_WRONLY | O_CREAT | O_APPEND, 0600);
    int result = fd >= 0 && write(fd, record, (size_t)used) == used ? 0 : 3;
    if (fd >= 0) close(fd);
    free(record);
    return result;
}
