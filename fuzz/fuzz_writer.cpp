// The writer of an alert list and the reader, together: any list of data
// lines (a digit first, at most 511 bytes, no line break or zero byte; every
// other byte allowed, '#' and " - " included) is written to a file and read
// back exactly, in order. The first input byte repeats the list so that it
// also crosses the writer's 64 KB buffer.
#include "configfile.h"
#include "datafiles.h"
#include "fileformats.h"
#include "fuzzsupport.h"

#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* vectorline(int index, void* context) {
    return (*(std::vector<std::string>*)context)[index].c_str();
}

std::string folder() {
    static std::string made;
    if (made.empty()) {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp != NULL && tmp[0] != '\0' ? tmp : "/tmp") + "/ruvello-fuzz-XXXXXX";
        fuzzcheck(mkdtemp(&pattern[0]) != NULL);
        made = pattern;
    }
    return made;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    int repeats = 1 + data[0] % 64 * 8;
    std::vector<std::string> lines;
    size_t at = 1;
    while (at < size) {
        size_t end = at;
        while (end < size && data[end] != '\n') end++;
        std::string line((const char*)data + at, end - at);
        at = end + 1;
        // Only what the format can hold: a data line of at most 511 bytes.
        if (line.empty() || line[0] < '0' || line[0] > '9' || line.size() > 511) continue;
        if (line.find_first_of(std::string("\r\0", 2)) != std::string::npos) continue;
        lines.push_back(line);
    }
    std::vector<std::string> list;
    for (int i = 0; i < repeats; i++) list.insert(list.end(), lines.begin(), lines.end());
    std::string path = folder() + "/annual_alerts.dat";
    fuzzcheck(writealertlistfile(path.c_str(), "data file for annual alarms", vectorline, (int)list.size(), &list) == 0);
    FILE* file = fopen(path.c_str(), "r");
    fuzzcheck(file != NULL);
    checkdatalines(filedatalines, file, file, list);
    fuzzcheck(access((path + "." + std::to_string(getpid()) + ".tmp").c_str(), F_OK) != 0);
    return 0;
}
