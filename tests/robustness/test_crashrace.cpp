// Crash safety and races of the data-file writer. A writer killed with SIGKILL
// at random moments leaves a complete earlier or later version of the file,
// never a mixture or a truncation; a reader that loops over a file while
// another process rewrites it always reads one complete version.
//
// Counts come from RUVELLO_KILLS (default 100) and RUVELLO_REWRITES (default
// 1000); the long runs in docs/robustness.md set them to 1000 and 10000.
#include "datafiles.h"
#include "robustlists.h"
#include "robustsupport.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cstdio>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

pid_t startwriter(const std::vector<std::string>& argv) {
    pid_t child = fork();
    if (child == 0) {
        std::vector<char*> arguments;
        for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
        arguments.push_back(NULL);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    return child;
}

}  // namespace

TEST(CrashSafety, AWriterKilledAtRandomMomentsLeavesACompleteVersion) {
    scratchhome home;
    std::string folder = home.home() + "/data";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    std::string path = folder + "/monthly_alerts.dat";
    ASSERT_EQ(0, runprogram({bindir() + "/robustwriter", "list", path, "1", "1"}, {}, 60).status);
    long kills = envcount("RUVELLO_KILLS", 100);
    std::mt19937 random(4242);
    int last = 1;
    int midsave = 0;
    for (long round = 0; round < kills; round++) {
        pid_t writer = startwriter({bindir() + "/robustwriter", "loop", path, std::to_string(last + 1), "0"});
        ASSERT_GT(writer, 0);
        // Anywhere from before the first save to a few dozen saves later.
        usleep((useconds_t)(random() % 20000));
        kill(writer, SIGKILL);
        int status = 0;
        waitpid(writer, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself in round " << round;
        if (removetemporaries(path) > 0) midsave++;
        int version = listversion(readwholefile(path));
        ASSERT_NE(-1, version) << "round " << round << " left a broken file";
        ASSERT_GE(version, last) << "round " << round << " went back to an older version";
        last = version;
    }
    printf("kills survived: %ld (%d of them in the middle of a save), last version %d\n", kills, midsave, last);
}

TEST(Concurrency, AReaderLoopingOverAFileAlwaysReadsACompleteVersion) {
    scratchhome home;
    std::string folder = home.home() + "/data";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    std::string path = folder + "/monthly_alerts.dat";
    ASSERT_EQ(0, runprogram({bindir() + "/robustwriter", "list", path, "1", "1"}, {}, 60).status);
    long rewrites = envcount("RUVELLO_REWRITES", 1000);
    pid_t writer = startwriter({bindir() + "/robustwriter", "loop", path, "2", std::to_string(rewrites)});
    ASSERT_GT(writer, 0);
    long reads = 0;
    int last = 1;
    int status = 0;
    bool running = true;
    while (running) {
        running = waitpid(writer, &status, WNOHANG) == 0;
        FILE* file = fopen(path.c_str(), "r");
        ASSERT_NE(nullptr, file) << "the file was missing after " << reads << " reads";
        std::vector<std::string> lines;
        char line[LINEBUFSIZE];
        while (readonedataline(file, line)) lines.push_back(line);
        bool failed = datareadfailed(file);
        fclose(file);
        ASSERT_FALSE(failed);
        int version = listversion(lines);
        ASSERT_NE(-1, version) << "read " << reads << " saw a partial list of " << lines.size() << " lines";
        ASSERT_GE(version, last);
        last = version;
        reads++;
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ(rewrites + 1, last);
    printf("rewrites raced: %ld, complete reads: %ld\n", rewrites, reads);
}
