// The service's block reader over arbitrary file contents: exactly the lines
// of the store's data-line reader (the same account as fuzz_dataline), in order, and no read
// error. The first input byte repeats the rest up to a few hundred times, so
// that pieces also straddle the reader's 64 KB blocks.
#include "datafiles.h"
#include "datalinemodel.h"
#include "fuzzsupport.h"
#include "linereader.h"

#include <string>
#include <vector>

namespace {

bool nextblockline(void* reader, char* line) { return nextdataline((datalinereader*)reader, line); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    int repeats = 1 + data[0] % 8 * 40;
    std::string bytes;
    for (int i = 0; i < repeats; i++) bytes.append((const char*)data + 1, size - 1);
    FILE* file = memoryfile((const uint8_t*)bytes.data(), bytes.size());
    fuzzcheck(file != NULL);
    std::vector<std::string> expected = modeldatalines(bytes.data(), bytes.size());
    static datalinereader reader;  // a 64 KB block: not on the stack
    startdatalines(&reader, file);
    checkdatalines(nextblockline, &reader, file, expected);
    return 0;
}
