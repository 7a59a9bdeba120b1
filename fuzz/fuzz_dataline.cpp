// The data-line reader over arbitrary file contents: it must give exactly the
// lines that a plain byte-by-byte account gives (datalinemodel.h), each at most 511
// characters and beginning with a digit, and never a read error for a file
// that reads fine.
#include "datafiles.h"
#include "datalinemodel.h"
#include "fuzzsupport.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = memoryfile(data, size);
    fuzzcheck(file != NULL);
    std::vector<std::string> expected = modeldatalines((const char*)data, size);
    char line[LINEBUFSIZE];
    size_t count = 0;
    while (readonedataline(file, line)) {
        size_t length = strlen(line);
        fuzzcheck(length <= 511);
        fuzzcheck(isdigit((unsigned char)line[0]));
        fuzzcheck(count < expected.size());
        fuzzcheck(expected[count] == line);
        count++;
    }
    fuzzcheck(count == expected.size());
    fuzzcheck(!datareadfailed(file));
    fclose(file);
    return 0;
}
