// The service's configuration reader over arbitrary file contents: the two
// advance values and the configuration message exactly as the service is
// meant to give them (defaults 7 and 3; the annual value clamped to 1 to 30 with the
// message; a monthly value beyond 0 to 10 taken as 1 without it; the message
// when a value is missing), and never a value outside its range.
#include "datalinemodel.h"
#include "behaviourmodel.h"
#include "fuzzsupport.h"
#include "scheduler.h"

#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int capturefd = -1;

// Standard error during one call goes to a file of its own, read back after it.
std::string stderrof(void (*call)(void*), void* context) {
    if (capturefd < 0) {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp != NULL && tmp[0] != '\0' ? tmp : "/tmp") + "/ruvello-stderr-XXXXXX";
        capturefd = mkstemp(&pattern[0]);
        fuzzcheck(capturefd >= 0);
        unlink(pattern.c_str());
    }
    fuzzcheck(ftruncate(capturefd, 0) == 0 && lseek(capturefd, 0, SEEK_SET) == 0);
    fflush(stderr);
    int saved = dup(2);
    dup2(capturefd, 2);
    call(context);
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    char text[256];
    ssize_t got = pread(capturefd, text, sizeof text, 0);
    return got > 0 ? std::string(text, (size_t)got) : std::string();
}

struct reading {
    FILE* file;
    advancevalues settings;
};

void readit(void* context) {
    reading* work = (reading*)context;
    readconfigfile(&work->settings, work->file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reading work;
    work.file = memoryfile(data, size);
    fuzzcheck(work.file != NULL);
    std::string message = stderrof(readit, &work);
    fclose(work.file);

    std::vector<std::string> lines = modeldatalines((const char*)data, size);
    int annual = 7;
    int monthly = 3;
    bool warned = false;
    if (lines.empty()) {
        warned = true;
    } else {
        long value = modelnumber(lines[0]);
        if (value <= 0) value = 1, warned = true;
        if (value > 30) value = 30, warned = true;
        annual = (int)value;
        if (lines.size() < 2) {
            warned = true;
        } else {
            value = modelnumber(lines[1]);
            monthly = value < 0 || value > 10 ? 1 : (int)value;
        }
    }
    fuzzcheck(work.settings.annual == annual);
    fuzzcheck(work.settings.monthly == monthly);
    fuzzcheck(message == (warned ? std::string(CONFIGMESSAGE) : std::string()));
    fuzzcheck(strcmp(CONFIGMESSAGE, "Configuration file syntax error: using default values.") == 0);
    return 0;
}
