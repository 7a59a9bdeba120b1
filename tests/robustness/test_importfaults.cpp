// The command-line import of the real ruvelloconfig when a replacement fails:
// the third or the last of the five files failing (fault library), a file-size limit that
// would once have killed the program with SIGXFSZ halfway through, and another
// writer holding the data files' lock.
#include "instancelock.h"
#include "robustsupport.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <string>
#include <thread>
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
    runresult run;
    std::thread importer([&] { run = runprogram({config(), "--import", path}, {"DISPLAY="}, 60); });
    usleep(700000);
    std::string during = readwholefile(home.datafolder() + "annual_alerts.dat");
    unlockdatafiles(&lock);
    importer.join();
    EXPECT_EQ(HANDMADEFILES[3], during);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, readwholefile(home.datafolder() + "annual_alerts.dat").find("03-03 - new annual"));
}
