#include "options.h"

#include "scheduler.h"

#include <cstdlib>
#include <cstring>

int readserviceoptions(int argc, char** argv, int* days) {
    *days = DEFAULTCATCHUPDAYS;
    if (argc <= 1) return 0;
    if (argc != 3 || strcmp(argv[1], "--catch-up") != 0) return 1;
    const char* text = argv[2];
    // Only plain digits: no sign, no blanks, nothing after them.
    if (*text == '\0' || strspn(text, "0123456789") != strlen(text) || strlen(text) > 2) return 1;
    int value = atoi(text);
    if (value > MOSTCATCHUPDAYS) return 1;
    *days = value;
    return 0;
}
