// The configurator under faults, kills and bad data files. Its own code runs,
// driven through its callbacks by configdriver, with the window built on the
// suite's display (the toolkit measures list lines on it); no dialog waits,
// the driver answers them.
#include "datalinemodel.h"
#include "robustlists.h"
#include "robustsupport.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string driver() { return bindir() + "/configdriver"; }

bool nodisplay() {
    const char* display = getenv("DISPLAY");
    return display == NULL || display[0] == '\0';
}

void putoldfiles(const scratchhome& home) { ASSERT_TRUE(puthandmadefiles(home.datafolder())); }

std::string fatalmessage(const std::string& path) {
    return "FATAL ERROR\nCannot create or access the following file\n   \"" + path + "\"";
}

// The lines the driver printed for one list ("<name>: <line>").
std::vector<std::string> printedlist(const std::string& out, const std::string& name) {
    std::vector<std::string> lines;
    std::string prefix = name + ": ";
    size_t at = 0;
    while (at < out.size()) {
        size_t end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        if (out.compare(at, prefix.size(), prefix) == 0) lines.push_back(out.substr(at + prefix.size(), end - at - prefix.size()));
        at = end + 1;
    }
    return lines;
}

}  // namespace

// Every save of the configurator (Create on each list, Sort, Remove, the
// settings) with each call of the writer failing in turn: the fatal file error
// naming the file, status 1, every data file byte-identical, no temporary file.
TEST(ConfiguratorFaults, EveryFailedSaveEndsWithTheFileErrorAndKeepsTheOldFiles) {
    if (nodisplay()) GTEST_SKIP() << "the configurator's widgets need a display";
    struct action {
        std::vector<std::string> arguments;
        int file;
    };
    std::vector<action> actions = {{{"create", "monthly", "a new line"}, 2}, {{"create", "annual", "x"}, 3},
                                   {{"create", "single", "y"}, 1},          {{"settings", "9", "2"}, 0},
                                   {{"sort", "annual"}, 3},                 {{"remove", "single"}, 1}};
    std::vector<std::pair<std::string, int>> faults = {{"open", ENOSPC}, {"write", ENOSPC}, {"shortwrite", 0},
                                                       {"fsync", EIO},   {"close", EIO},    {"rename", EIO}};
    int injected = 0;
    for (const action& each : actions) {
        for (const auto& fault : faults) {
            SCOPED_TRACE(each.arguments[0] + " " + each.arguments[1] + " with " + fault.first);
            scratchhome home;
            putoldfiles(home);
            std::string log = home.home() + "/faults.log";
            std::vector<std::string> argv = {driver()};
            argv.insert(argv.end(), each.arguments.begin(), each.arguments.end());
            runresult run = runprogram(argv,
                                       {"LD_PRELOAD=" + faultshim(), withasanpreload(), "RUVELLO_FAULT_OP=" + fault.first,
                                        "RUVELLO_FAULT_ERRNO=" + std::to_string(fault.second), "RUVELLO_FAULT_LOG=" + log},
                                       120);
            ASSERT_TRUE(run.finished);
            EXPECT_FALSE(run.signalled) << run.err;
            EXPECT_EQ(1, run.status) << run.err;
            EXPECT_EQ("injected " + fault.first + " #1\n", readwholefile(log)) << run.err;
            std::string path = home.datafolder() + DATAFILENAMES[each.file];
            EXPECT_NE(std::string::npos, run.err.find(fatalmessage(path))) << run.err;
            EXPECT_NE(std::string::npos, run.out.find("alert: Ruvello - FATAL ERROR")) << run.out;
            for (int i = 0; i < DATAFILECOUNT; i++) {
                EXPECT_EQ(HANDMADEFILES[i], readwholefile(home.datafolder() + DATAFILENAMES[i])) << DATAFILENAMES[i];
            }
            EXPECT_EQ((std::vector<std::string>{"annual_alerts.dat", "config.dat", "monthly_alerts.dat",
                                                "single_alerts.dat", "weekly_alerts.dat"}),
                      folderentries(home.datafolder()));
            injected++;
        }
    }
    printf("configurator saves failed and survived: %d\n", injected);
}

// The configurator killed with SIGKILL at random moments while it saves, over
// and over: every data file is always a complete earlier or later version.
TEST(CrashSafety, TheConfiguratorKilledWhileSavingLeavesCompleteFiles) {
    if (nodisplay()) GTEST_SKIP() << "the configurator's widgets need a display";
    scratchhome home;
    std::string folder = home.datafolder();
    long kills = envcount("RUVELLO_KILLS", 100);
    std::mt19937 random(777);
    int last = 0;
    int midsave = 0;
    bool configsaved = false;
    std::string errors = home.home() + "/driver.err";
    auto startdriver = [&]() {
        pid_t child = fork();
        if (child == 0) {
            freopen(errors.c_str(), "w", stderr);
            std::string first = std::to_string(last + 1);
            execl(driver().c_str(), driver().c_str(), "loop", first.c_str(), (char*)NULL);
            _exit(127);
        }
        return child;
    };
    // How long the configurator takes to start and make its first save here
    // (a sanitized build on a busy machine takes many times longer): the kills
    // then fall anywhere from before the files are loaded to dozens of saves later.
    long startup = 0;
    {
        pid_t child = startdriver();
        ASSERT_GT(child, 0);
        while (readwholefile(folder + "monthly_alerts.dat").empty() && startup < 60000000) {
            usleep(10000);
            startup += 10000;
        }
        kill(child, SIGKILL);
        waitpid(child, NULL, 0);
        last = std::max(0, lastentry(readwholefile(folder + "monthly_alerts.dat")));
        configsaved = !readwholefile(folder + "config.dat").empty();
    }
    long window = startup * 3 / 2 + 100000;
    for (long round = 0; round < kills; round++) {
        pid_t child = startdriver();
        ASSERT_GT(child, 0);
        usleep((useconds_t)(random() % window));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the configurator ended by itself in round " << round << ":\n"
                                         << readwholefile(errors);
        if (removetemporaries(folder + "monthly_alerts.dat") + removetemporaries(folder + "config.dat") > 0) midsave++;
        std::string monthly = readwholefile(folder + "monthly_alerts.dat");
        std::string config = readwholefile(folder + "config.dat");
        // Empty, as the start-up leaves it, until the first save.
        if (!monthly.empty() || last > 0) {
            int entry = lastentry(monthly);
            ASSERT_NE(-1, entry) << "round " << round << " left a broken list:\n" << monthly << readwholefile(errors);
            ASSERT_GE(entry, last) << "round " << round << " went back to an older list";
            last = entry;
        }
        // Empty, as the start-up leaves it, only until the first save of the settings.
        if (!config.empty()) configsaved = true;
        ASSERT_TRUE(configsaved ? configcomplete(config) : config.empty()) << "round " << round << ":\n" << config;
    }
    ASSERT_GT(last, 0) << "no save was ever made";
    printf("configurator kills survived: %ld (%d of them left a temporary file: killed mid-save), %d saves of the "
           "list; kills within %ld ms of the start\n",
           kills, midsave, last, window / 1000);
}

// Bad data files at the configurator's start: a folder or a dangling link in a
// file's place stops it with its file error; random bytes, NUL bytes and very
// long lines load as their data lines; no crash and no hang.
TEST(BadFiles, TheConfiguratorLoadsAnyBytesAsDataLinesOrStopsWithItsFileError) {
    if (nodisplay()) GTEST_SKIP() << "the configurator's widgets need a display";
    // A folder, a dangling link, a pipe and a link to a device.
    for (int blocked : {0, 2, 1, 3}) {
        scratchhome home;
        putoldfiles(home);
        std::string path = home.datafolder() + DATAFILENAMES[blocked];
        ASSERT_EQ(0, unlink(path.c_str()));
        int made = blocked == 0   ? mkdir(path.c_str(), 0700)
                   : blocked == 2 ? symlink("gone/missing.dat", path.c_str())
                   : blocked == 1 ? mkfifo(path.c_str(), 0600)
                                  : symlink("/dev/zero", path.c_str());
        ASSERT_EQ(0, made);
        runresult run = runprogram({driver(), "load"}, {}, 120);
        ASSERT_TRUE(run.finished) << path << ": the configurator did not stop";
        EXPECT_FALSE(run.signalled) << run.err;
        EXPECT_EQ(1, run.status);
        EXPECT_NE(std::string::npos, run.err.find(fatalmessage(path))) << run.err;
    }
    std::mt19937 random(99);
    std::string noise(10 * 1024 * 1024, '\0');
    for (char& byte : noise) byte = (char)(random() & 0xff);
    std::string odd = std::string("12\0ab\n\0\n5\0\n", 11) + "7" + std::string(300000, 'y') + "\n" +
                      std::string(2000, '8') + "\r\n\xff" + "9 x\n3 - " + std::string(600, '\0');
    scratchhome home;
    putoldfiles(home);
    std::string folder = home.datafolder();
    ASSERT_TRUE(writewholefile(folder + "annual_alerts.dat", noise));
    ASSERT_TRUE(writewholefile(folder + "single_alerts.dat", odd));
    ASSERT_TRUE(writewholefile(folder + "monthly_alerts.dat", std::string(1 << 20, '\0')));
    std::string weekly = "07:30 12345 - a\r\n# b\n" + odd.substr(0, 4000) + "\n21:00 1234567 - " + std::string(600, 'w');
    ASSERT_TRUE(writewholefile(folder + "weekly_alerts.dat", weekly));
    std::string config = "# x\n" + std::string(400, '9') + " days\n" + std::string("\0" "1\n", 3) + "00000000000000000000007\n";
    ASSERT_TRUE(writewholefile(folder + "config.dat", config));
    runresult run = runprogram({driver(), "load"}, {}, 300);
    ASSERT_TRUE(run.finished);
    ASSERT_FALSE(run.signalled) << run.err;
    ASSERT_EQ(0, run.status) << run.err;
    // Compared whole, without printing ten megabytes of noise on a mismatch.
    std::vector<std::string> annual = printedlist(run.out, "annual");
    EXPECT_TRUE(modeldatalines(noise.data(), noise.size()) == annual) << annual.size() << " lines loaded";
    std::vector<std::string> single = printedlist(run.out, "single");
    EXPECT_TRUE(modeldatalines(odd.data(), odd.size()) == single) << single.size() << " lines loaded";
    EXPECT_TRUE(printedlist(run.out, "monthly").empty());
    EXPECT_TRUE(modeldatalines(weekly.data(), weekly.size()) == printedlist(run.out, "weekly"));
    // A number of 400 digits is clamped, not overflowed; a line after a NUL
    // byte is not a data line; a value written with leading zeros counts.
    EXPECT_EQ(0u, run.out.find("annual advance: 30\nmonthly advance: 7\n")) << run.out.substr(0, 200);
}
