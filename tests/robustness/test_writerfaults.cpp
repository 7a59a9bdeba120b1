// Faults injected into every call the data-file writer makes: the opening of
// the temporary file, each write (the first, a later flush of a long list, a
// short write on a filling disk), the fsync, the close, the rename and the sync
// of the folder. The writer runs in a program of its own with the fault
// library preloaded, so the faults strike the real system calls.
#include "robustlists.h"
#include "robustsupport.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <vector>

namespace {

struct fault {
    const char* op;
    int nth;
    int error;
};

// The old file as a user's hand-edited list might hold it, odd bytes included.
const std::string OLDLIST = "# kept by hand\r\n05 - the old list\r\n06 - caf\xc3\xa9 \x01 ~\n07 - no line end";

std::string writer() { return bindir() + "/robustwriter"; }

runresult writewithfault(const fault& injected, const std::vector<std::string>& arguments, const std::string& log) {
    std::vector<std::string> argv = {writer()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runprogram(argv,
                      {"LD_PRELOAD=" + faultshim(), withasanpreload(), std::string("RUVELLO_FAULT_OP=") + injected.op,
                       "RUVELLO_FAULT_NTH=" + std::to_string(injected.nth),
                       "RUVELLO_FAULT_ERRNO=" + std::to_string(injected.error), "RUVELLO_FAULT_LOG=" + log},
                      60);
}

}  // namespace

// Each failure before the rename is reported, leaves the old file byte for
// byte, and leaves no temporary file; the long list (3000 lines) takes two
// writes, so its second write is a flush in the middle of the file.
TEST(WriterFaults, EveryFailedCallLeavesTheOldFileAndNoTemporaryFile) {
    std::vector<fault> faults = {{"open", 1, ENOSPC},  {"open", 1, EACCES},     {"write", 1, ENOSPC},
                                 {"write", 2, EIO},    {"shortwrite", 1, 0},    {"shortwrite", 2, 0},
                                 {"fsync", 1, EIO},    {"fsync", 1, ENOSPC},    {"close", 1, EIO},
                                 {"close", 1, EDQUOT}, {"rename", 1, EIO},      {"rename", 1, EXDEV}};
    int injected = 0;
    for (const fault& each : faults) {
        for (const char* kind : {"list", "config"}) {
            if (std::string(kind) == "config" && each.nth > 1) continue;  // a configuration file takes one write
            SCOPED_TRACE(std::string(kind) + " " + each.op + " #" + std::to_string(each.nth));
            scratchhome home;
            std::string folder = home.home() + "/data";
            ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
            std::string path = folder + "/monthly_alerts.dat";
            ASSERT_TRUE(writewholefile(path, OLDLIST));
            std::string log = home.home() + "/faults.log";
            std::vector<std::string> arguments = {kind, path, "7", "3000"};
            if (std::string(kind) == "config") arguments = {kind, path, "12", "4"};
            runresult run = writewithfault(each, arguments, log);
            ASSERT_TRUE(run.finished) << run.err;
            EXPECT_FALSE(run.signalled) << run.err;
            EXPECT_EQ(1, run.status) << run.err;
            EXPECT_EQ(std::string("injected ") + each.op + " #" + std::to_string(each.nth) + "\n", readwholefile(log));
            EXPECT_EQ(OLDLIST, readwholefile(path));
            EXPECT_EQ(std::vector<std::string>{"monthly_alerts.dat"}, folderentries(folder));
            injected++;
        }
    }
    printf("faults injected and survived: %d\n", injected);
}

// An interrupted write is retried, not taken for a failure.
TEST(WriterFaults, AnInterruptedWriteIsRetriedAndTheNewFileIsComplete) {
    for (int nth : {1, 2}) {
        scratchhome home;
        std::string folder = home.home() + "/data";
        ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
        std::string path = folder + "/monthly_alerts.dat";
        ASSERT_TRUE(writewholefile(path, OLDLIST));
        std::string log = home.home() + "/faults.log";
        runresult run = writewithfault({"eintr", nth, 0}, {"list", path, "7", "3000"}, log);
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_EQ("injected eintr #" + std::to_string(nth) + "\n", readwholefile(log));
        EXPECT_EQ(7, listversion(readwholefile(path)));
        EXPECT_EQ(std::vector<std::string>{"monthly_alerts.dat"}, folderentries(folder));
    }
}

// When the rename has been made but the folder cannot be synced, the new file
// is in place whole, yet not known to be on disk: the writer says it failed
// (the configurator then stops with its file error) rather than claim success.
TEST(WriterFaults, AFailedFolderSyncIsReportedWithTheNewFileWhole) {
    scratchhome home;
    std::string folder = home.home() + "/data";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    std::string path = folder + "/monthly_alerts.dat";
    ASSERT_TRUE(writewholefile(path, OLDLIST));
    std::string log = home.home() + "/faults.log";
    runresult run = writewithfault({"dirfsync", 1, EIO}, {"list", path, "9", "40"}, log);
    EXPECT_EQ(1, run.status) << run.err;
    EXPECT_EQ("injected dirfsync #1\n", readwholefile(log));
    EXPECT_EQ(9, listversion(readwholefile(path)));
    EXPECT_EQ(std::vector<std::string>{"monthly_alerts.dat"}, folderentries(folder));
}

// A real full disk: a small tmpfs of our own, filled up. Needs the right to
// mount, which a CI container may not give; the shim cases above cover the
// same calls without it.
TEST(WriterFaults, AFullDiskLeavesTheOldFileAndNoTemporaryFile) {
    scratchhome home;
    std::string folder = home.home() + "/full";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    if (mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") != 0) {
        GTEST_SKIP() << "no tmpfs can be mounted here (" << strerror(errno) << ")";
    }
    std::string path = folder + "/monthly_alerts.dat";
    bool prepared = writewholefile(path, OLDLIST) && !writewholefile(folder + "/filler", std::string(1 << 20, 'x'));
    runresult big = runprogram({writer(), "list", path, "7", "3000"}, {}, 60);
    runresult small = runprogram({writer(), "config", path, "12", "4"}, {}, 60);
    std::string after = readwholefile(path);
    std::vector<std::string> entries = folderentries(folder);
    umount2(folder.c_str(), MNT_DETACH);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(1, big.status) << big.err;
    EXPECT_EQ(1, small.status) << small.err;
    EXPECT_EQ(OLDLIST, after);
    EXPECT_EQ((std::vector<std::string>{"filler", "monthly_alerts.dat"}), entries);
}
