// The data-line reader over arbitrary file contents: it must give exactly the
// lines that a plain byte-by-byte account gives (datalinemodel.h), each at most 511
// characters and beginning with a digit, and never a read error for a file
// that reads fine.
#include "configfile.h"
#include "datafiles.h"
#include "datalinemodel.h"
#include "fuzzsupport.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = memoryfile(data, size);
    fuzzcheck(file != NULL);
    std::vector<std::string> expected = modeldatalines((const char*)data, size);
    checkdatalines(filedatalines, file, file, expected);
    return 0;
}
