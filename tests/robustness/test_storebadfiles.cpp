// Bad data files against the store's own readers: createifabsent and the
// data-line reader, whose lines are checked against an account worked out
// byte by byte, without the C library's line reading (datalinemodel.h).
#include "datafiles.h"
#include "datalinemodel.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct readback {
    std::vector<std::string> lines;
    bool failed;
};

readback readall(const std::string& path) {
    readback result = {{}, false};
    FILE* file = fopen(path.c_str(), "r");
    if (file == NULL) {
        result.failed = true;
        return result;
    }
    char line[LINEBUFSIZE];
    while (readonedataline(file, line)) result.lines.push_back(line);
    result.failed = datareadfailed(file);
    fclose(file);
    return result;
}

}  // namespace

// A folder or a dangling link in a data file's place is reported (the callers
// stop with their file error) and left as it is: nothing is made in its place
// or at the link's target.
TEST(StoreBadFiles, AFolderOrADanglingLinkIsReportedAndLeftAlone) {
    scratchhome home;
    std::string folder = home.home() + "/data";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    std::string directory = folder + "/config.dat";
    ASSERT_EQ(0, mkdir(directory.c_str(), 0700));
    std::string link = folder + "/annual_alerts.dat";
    ASSERT_EQ(0, symlink("nowhere/missing.dat", link.c_str()));
    std::vector<char> path(PATHBUFSIZE);
    snprintf(path.data(), path.size(), "%s", directory.c_str());
    EXPECT_EQ(1, createifabsent(path.data()));
    snprintf(path.data(), path.size(), "%s", link.c_str());
    EXPECT_EQ(1, createifabsent(path.data()));
    struct stat info;
    ASSERT_EQ(0, lstat(directory.c_str(), &info));
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    ASSERT_EQ(0, lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_FALSE(fileexists(folder + "/nowhere"));
    // A folder opened as a file reads nothing and says so: a read error, not an empty list.
    readback fromfolder = readall(directory);
    EXPECT_TRUE(fromfolder.lines.empty());
    EXPECT_TRUE(fromfolder.failed);
}

// Ten megabytes of random bytes, NUL bytes and lines far longer than a data
// line: the reader gives exactly the account's lines, at most 511 characters each.
TEST(StoreBadFiles, RandomBytesNulBytesAndLongLinesGiveTheExpectedDataLines) {
    scratchhome home;
    std::mt19937 random(20261208);
    std::string noise(10 * 1024 * 1024, '\0');
    for (char& byte : noise) byte = (char)(random() & 0xff);
    // Long runs: a line of a megabyte that begins with a digit, and one of
    // digits only, whose 511-character pieces each come back as a data line.
    std::string longlines = "7" + std::string(1 << 20, 'x') + "\n" + std::string(5000, '9') + "\r\n";
    std::string nuls = std::string("12\0ab\n\0\n5\0\n\0007 hidden\n", 21) + "3 - " + std::string(600, '\0') + "\n8 x";
    std::string crs = "1\r2\n\r3\n4 - a\rb\r\n";
    for (const std::string& bytes : {noise, longlines, nuls, crs, noise + longlines + nuls}) {
        std::string path = home.home() + "/bad.dat";
        ASSERT_TRUE(writewholefile(path, bytes));
        readback got = readall(path);
        EXPECT_FALSE(got.failed);
        std::vector<std::string> expected = modeldatalines(bytes.data(), bytes.size());
        ASSERT_EQ(expected.size(), got.lines.size());
        for (size_t i = 0; i < expected.size(); i++) {
            ASSERT_EQ(expected[i], got.lines[i]) << "data line " << i;
            ASSERT_LE(got.lines[i].size(), 511u);
        }
    }
    // The account itself, on NUL bytes and carriage returns worked out by hand.
    EXPECT_EQ((std::vector<std::string>{"12", "5", "3 - "}), modeldatalines(nuls.data(), nuls.size() - 4));
    EXPECT_EQ((std::vector<std::string>{"1", "4 - a"}), modeldatalines(crs.data(), crs.size()));
    EXPECT_EQ(1u + 5000 / 511 + 1, modeldatalines(longlines.data(), longlines.size()).size());
}

// A pipe, or a link to a device, in a data file's place is no data file: it is
// reported as one that cannot be read, and nobody waits on it for ever (a pipe
// without a writer blocks its opener; /dev/zero gives zero bytes without end).
TEST(StoreBadFiles, APipeOrADeviceIsReportedWithoutWaitingOnIt) {
    scratchhome home;
    std::string pipe = home.home() + "/config.dat";
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
    std::string device = home.home() + "/monthly_alerts.dat";
    ASSERT_EQ(0, symlink("/dev/zero", device.c_str()));
    std::string regular = home.home() + "/annual_alerts.dat";
    ASSERT_TRUE(writewholefile(regular, "05-05 - x\n"));
    for (const std::string& path : {pipe, device}) {
        pid_t child = fork();
        if (child == 0) {
            alarm(10);
            std::vector<char> buffer(PATHBUFSIZE);
            snprintf(buffer.data(), buffer.size(), "%s", path.c_str());
            bool refused = createifabsent(buffer.data()) == 1 && openforreading(path.c_str()) == NULL;
            _exit(refused ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << path << ": still waiting after 10 seconds";
        EXPECT_EQ(0, WEXITSTATUS(status)) << path;
    }
    // A regular file opens, closed on exec so that no program started later inherits it.
    FILE* file = openforreading(regular.c_str());
    ASSERT_NE(nullptr, file);
    EXPECT_NE(0, fcntl(fileno(file), F_GETFD) & FD_CLOEXEC);
    char line[LINEBUFSIZE];
    EXPECT_TRUE(readonedataline(file, line));
    EXPECT_STREQ("05-05 - x", line);
    fclose(file);
    EXPECT_EQ(nullptr, openforreading((home.home() + "/missing.dat").c_str()));
    EXPECT_EQ(nullptr, openforreading(home.home().c_str()));
}
