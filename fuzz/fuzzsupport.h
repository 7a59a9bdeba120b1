// Small pieces shared by the fuzz targets.
//
// memoryfile opens a read-only stream over the input bytes, as a data file the
// caller may hand to readonedataline (an empty input gives an empty file).
// fuzzcheck stops the run with a message when a stated property fails, so
// libFuzzer keeps the input that broke it.
#ifndef RUVELLO_FUZZSUPPORT_H
#define RUVELLO_FUZZSUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

#endif
