#include "soundturns.h"

#include "datafiles.h"
#include "fileformats.h"
#include "instancelock.h"
#include "statefolder.h"

#include <cstdio>
#include <cstring>

namespace {

// The times in the log, in seconds of the wall clock; 0 for never.
struct soundlog {
    long long appeared;  // when a reminder last appeared
    long long sounded;   // when the last sound started
};

// Room for the log's one line: two numbers.
const int SOUNDLOGBUFSIZE = 64;

// A time ahead of the clock was written before the clock went back; it
// counts as never, so that it cannot keep a reminder silent.
long long sincelast(long long then, long long now) { return then <= 0 || then > now ? -1 : now - then; }

bool soundlogpath(char* path) { return runtimefilepath(path, "ruvello-sound", getstatefilename, "sound"); }

// The log at path; a log that is not there or not whole holds no times.
soundlog readsoundlog(const char* path) {
    soundlog log = {0, 0};
    FILE* file = openforreading(path);
    if (file == NULL) return log;
    char line[SOUNDLOGBUFSIZE];
    if (fgets(line, sizeof line, file) == NULL || sscanf(line, "%lld %lld", &log.appeared, &log.sounded) != 2) {
        log.appeared = 0;
        log.sounded = 0;
    }
    fclose(file);
    return log;
}

bool writesoundlog(const char* path, const soundlog* log) {
    char line[SOUNDLOGBUFSIZE];
    int written = snprintf(line, sizeof line, "%lld %lld\n", log->appeared, log->sounded);
    return written > 0 && written < (int)sizeof line && writerawfile(path, line, (size_t)written) == 0;
}

// The rules, on a log in memory: true when the window should sound now; the
// log then holds the new times.
bool soundonappearance(soundlog* log, long long now) {
    long long since = sincelast(log->appeared, now);
    bool sound = since < 0 || since >= SOUNDGATHERSECONDS;
    log->appeared = now;
    if (sound) log->sounded = now;
    return sound;
}

bool soundonrepeat(soundlog* log, long long now) {
    long long since = sincelast(log->sounded, now);
    bool sound = since < 0 || since >= SOUNDREPEATSECONDS;
    if (sound) log->sounded = now;
    return sound;
}

}  // namespace

double soundcheckdelay(long long sounded, long long now) {
    long long since = sincelast(sounded, now);
    long long left = since < 0 ? 0 : SOUNDREPEATSECONDS - since;
    if (left < 0) left = 0;
    return left < SOUNDCHECKSECONDS ? (double)left : (double)SOUNDCHECKSECONDS;
}

bool takesoundturn(bool appearing, long long now, long long* sounded) {
    char path[PATHBUFSIZE];
    datalock lock;
    bool locked = soundlogpath(path) && locksoundlog(&lock) == 0;
    soundlog log = {0, 0};
    if (locked) log = readsoundlog(path);
    soundlog before = log;
    // Without the log, or with one that forgot it, the window goes by the
    // last sound it heard itself.
    if (*sounded > log.sounded && *sounded <= now) log.sounded = *sounded;
    bool sound = appearing ? soundonappearance(&log, now) : soundonrepeat(&log, now);
    if (locked) {
        // A log that cannot be written only makes the next window sound as if alone.
        if (memcmp(&log, &before, sizeof log) != 0) writesoundlog(path, &log);
        releaselock(&lock);
    }
    *sounded = log.sounded;
    return sound;
}
