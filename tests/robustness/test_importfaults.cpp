// The command-line import of the real ruvelloconfig when a replacement fails:
// the third or the last of the five files failing (fault library), a file-size limit that
// would once have killed the program with SIGXFSZ halfway through, and another
// writer holding the data files' lock.
#include "instancelock.h"
#include "robustsupport.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

std::string config() { return bindir() + "/ruvelloconfig"; }

void putoldfiles(const scratchhome& home) { ASSERT_TRUE(puthandmadefiles(home.datafolder())); }

// An export replacing every file, its simple list long enough to pass a small size limit.
std::string importfile(const scratchhome& home, int simplelines) {
    std::string bytes = "Ruvello export 1\n[settings]\n20\n5\n[simple alarms]\n";
    for (int i = 0; i < simplelines; i++) bytes += "2032-03-04 05:06 - new simple alarm number " + std::to_string(i) + "\n";
    bytes += "[monthly alarms]\n09 - new monthly\n[annual alarms]\n03-03 - new annual\n";
    std::string path = home.home() + "/import.txt";
    writewholefile(path, bytes);
    return path;
}

void expectoldfilesalone(const scratchhome& home) {
    for (int i = 0; i < DATAFILECOUNT; i++) {
        EXPECT_EQ(HANDMADEFILES[i], readwholefile(home.datafolder() + DATAFILENAMES[i])) << DATAFILENAMES[i];
    }
    EXPECT_EQ((std::vector<std::string>{DATAFILENAMES[3], DATAFILENAMES[0], DATAFILENAMES[2], DATAFILENAMES[1],
                                        DATAFILENAMES[4]}),
              folderentries(home.datafolder()));
}

std::string linktarget(const std::string& link) {
    char target[PATH_MAX];
    ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    return length < 0 ? std::string() : std::string(target, (size_t)length);
}

// A process other than this one that has the file at path open and is
// asleep in a pause (not in a read, a write or a lock of its own): a writer
// waiting between its tries for the lock. 0 when there is none.
pid_t pausingwith(const std::string& path) {
    DIR* proc = opendir("/proc");
    if (proc == NULL) return 0;
    pid_t found = 0;
    std::string self = std::to_string(getpid());
    while (struct dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9' || self == entry->d_name) continue;
        std::string process = std::string("/proc/") + entry->d_name;
        DIR* folder = opendir((process + "/fd").c_str());
        if (folder == NULL) continue;
        bool holds = false;
        while (struct dirent* fd = readdir(folder)) {
            if (fd->d_name[0] != '.' && linktarget(process + "/fd/" + fd->d_name) == path) holds = true;
        }
        closedir(folder);
        // The system call the process is in, by number, first in this file.
        long call = holds ? strtol(readwholefile(process + "/syscall").c_str(), NULL, 10) : -1;
        if (call == SYS_clock_nanosleep || call == SYS_nanosleep) {
            found = (pid_t)atol(entry->d_name);
            break;
        }
    }
    closedir(proc);
    return found;
}

// How many times the process gave up the processor of its own accord: once
// for each pause between its tries for a lock.
long pauses(pid_t process) {
    std::string status = readwholefile("/proc/" + std::to_string(process) + "/status");
    size_t at = status.find("\nvoluntary_ctxt_switches:");
    return at == std::string::npos ? -1 : atol(status.c_str() + at + 25);
}

double now() {
    struct timespec moment;
    clock_gettime(CLOCK_MONOTONIC, &moment);
    return moment.tv_sec + moment.tv_nsec / 1e9;
}

}  // namespace

// The copy of the data is made first (a link, no rename), then the files are
// replaced in the order configuration, simple, monthly, annual, weekly: the
// third rename (the monthly list's) or the fifth (the weekly list's, emptied
// by a file without weekly alarms) fails. The files already replaced get
// their old bytes back, the file error names the failed list, status 1.
TEST(ImportFaults, AFailedReplacementPutsBackTheOnesBefore) {
    for (int nth : {3, 5}) {
        SCOPED_TRACE(nth);
        scratchhome home;
        putoldfiles(home);
        std::string log = home.home() + "/faults.log";
        runresult run = runprogram({config(), "--import", importfile(home, 3)},
                                   {"LD_PRELOAD=" + faultshim(), withasanpreload(), "RUVELLO_FAULT_OP=rename",
                                    "RUVELLO_FAULT_NTH=" + std::to_string(nth), "RUVELLO_FAULT_ERRNO=" + std::to_string(EIO),
                                    "RUVELLO_FAULT_LOG=" + log, "DISPLAY="},
                                   60);
        ASSERT_TRUE(run.finished) << run.err;
        EXPECT_EQ(1, run.status) << run.err;
        EXPECT_EQ("injected rename #" + std::to_string(nth) + "\n", readwholefile(log));
        EXPECT_NE(std::string::npos,
                  run.err.find("FATAL ERROR\nCannot create or access the following file\n   \"" + home.datafolder() +
                               DATAFILENAMES[nth - 1] + "\"")) << run.err;
        expectoldfilesalone(home);
        // The copy made before stays, for the user to import by hand.
        EXPECT_EQ(1u, folderentries(home.home() + "/.local/state/ruvello").size());
    }
}

// Under a file-size limit the new simple list cannot be written: the write
// fails (the program ignores SIGXFSZ), the files are put back, status 1.
TEST(ImportFaults, AFileSizeLimitFailsTheImportInsteadOfKillingIt) {
    scratchhome home;
    putoldfiles(home);
    std::string path = importfile(home, 400);
    runresult run = runprogram({"/usr/bin/prlimit", "--fsize=8192", config(), "--import", path}, {"DISPLAY="}, 60);
    ASSERT_TRUE(run.finished) << run.err;
    EXPECT_FALSE(run.signalled) << run.err;
    EXPECT_EQ(1, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("single_alerts.dat\"")) << run.err;
    expectoldfilesalone(home);
}

// A writer holding the data files' lock (here the test, as a panel saving)
// keeps an import from the command line waiting: it changes nothing until the
// lock is given back, then it imports.
TEST(ImportFaults, AnImportWaitsForTheWriterHoldingTheLock) {
    scratchhome home;
    putoldfiles(home);
    std::string path = importfile(home, 1);
    datalock lock;
    ASSERT_EQ(0, lockdatafiles(&lock));
    std::string lockfile = linktarget("/proc/self/fd/" + std::to_string((int)lock.held));
    runresult run;
    std::atomic<bool> finished(false);
    std::thread importer([&] {
        run = runprogram({config(), "--import", path}, {"DISPLAY="}, 60);
        finished = true;
    });
    // The import is seen waiting, its lock file open between two tries (it
    // gives up after DATALOCKWAITMS); after twenty more of its pauses, which
    // an import that gave up early or went on regardless would not make, it
    // is seen waiting still, and the files are read.
    double deadline = now() + 30;
    pid_t waiter = 0;
    while (!finished && (waiter = pausingwith(lockfile)) == 0 && now() < deadline) usleep(2000);
    long first = waiter != 0 ? pauses(waiter) : -1;
    while (!finished && first >= 0 && pauses(waiter) < first + 20 && now() < deadline) usleep(2000);
    while (!finished && pausingwith(lockfile) != waiter && now() < deadline) usleep(2000);
    bool waiting = !finished && waiter != 0 && pausingwith(lockfile) == waiter;
    std::string during = readwholefile(home.datafolder() + "annual_alerts.dat");
    unlockdatafiles(&lock);
    importer.join();
    EXPECT_TRUE(waiting) << "the import was not seen waiting for the lock: " << run.err;
    EXPECT_EQ(HANDMADEFILES[3], during);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, readwholefile(home.datafolder() + "annual_alerts.dat").find("03-03 - new annual"));
}
