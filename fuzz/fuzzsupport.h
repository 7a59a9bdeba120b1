// Small pieces shared by the fuzz targets.
//
// memoryfile opens a read-only stream over the input bytes, as a data file the
// caller may hand to readonedataline (an empty input gives an empty file).
// fuzzcheck stops the run with a message when a stated property fails, so
// libFuzzer keeps the input that broke it. readback gives a file's bytes.
// checkdatalines reads a file to its end through a reader of data lines and
// checks what it gives against the lines expected.
#ifndef RUVELLO_FUZZSUPPORT_H
#define RUVELLO_FUZZSUPPORT_H

#include "datafiles.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

inline FILE* memoryfile(const uint8_t* data, size_t size) {
    // fmemopen refuses a buffer of zero bytes; an empty file reads as one.
    if (size == 0) return fopen("/dev/null", "r");
    return fmemopen((void*)data, size, "r");
}

#define fuzzcheck(condition)                                                          \
    do {                                                                              \
        if (!(condition)) {                                                           \
            fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                  \
        }                                                                             \
    } while (0)

inline std::string readback(const char* path) {
    std::string bytes;
    FILE* file = fopen(path, "rb");
    fuzzcheck(file != NULL);
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

// Reads file through next (which gives one data line into line, false at the
// end) and checks that the lines are exactly expected, in order, each a data
// line of at most 511 characters, and that the file read without an error.
// Closes file.
inline void checkdatalines(bool (*next)(void* context, char* line), void* context, FILE* file,
                           const std::vector<std::string>& expected) {
    char line[LINEBUFSIZE];
    size_t count = 0;
    while (next(context, line)) {
        fuzzcheck(strlen(line) <= 511);
        fuzzcheck(isdigit((unsigned char)line[0]));
        fuzzcheck(count < expected.size());
        fuzzcheck(expected[count] == line);
        count++;
    }
    fuzzcheck(count == expected.size());
    fuzzcheck(!datareadfailed(file));
    fclose(file);
}

#endif
