#include "options.h"

#include "configfile.h"
#include "scheduler.h"

#include <cstdlib>
#include <cstring>

int readserviceoptions(int argc, char** argv, int* days) {
    *days = DEFAULTCATCHUPDAYS;
    if (argc <= 1) return 0;
    if (argc != 3 || strcmp(argv[1], "--catch-up") != 0) return 1;
    int value = 0;
    if (!readplaindigits(argv[2], 2, &value) || value > MOSTCATCHUPDAYS) return 1;
    *days = value;
    return 0;
}
