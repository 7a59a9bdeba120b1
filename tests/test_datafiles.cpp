#include "datafiles.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> readall(const std::string& contents) {
    scratchhome home;
    std::string path = home.home() + "/lines.dat";
    EXPECT_TRUE(writewholefile(path, contents));
    std::vector<std::string> lines;
    FILE* file = fopen(path.c_str(), "r");
    char line[LINEBUFSIZE];
    while (readonedataline(file, line)) lines.push_back(line);
    EXPECT_FALSE(datareadfailed(file));
    fclose(file);
    return lines;
}

std::string capturecreate(char* path, int* result) {
    fflush(stdout);
    testing::internal::CaptureStdout();
    *result = createifabsent(path);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(DataFolder, EachNameLiesInTheDataFolderWhichIsCreatedPrivateWithSlashesKept) {
    scratchhome home;
    char path[PATHBUFSIZE];
    EXPECT_FALSE(fileexists(home.datafolder()));
    ASSERT_EQ(0, getconfigfilename(path));
    EXPECT_EQ(home.datafolder() + "config.dat", path);
    EXPECT_EQ(0700, filemode(home.datafolder()));
    EXPECT_EQ(0700, filemode(home.home() + "/.fltk/ruvello"));
    ASSERT_EQ(0, getsinglealertfilename(path));
    EXPECT_EQ(home.datafolder() + "single_alerts.dat", path);
    ASSERT_EQ(0, getmonthlyalertfilename(path));
    EXPECT_EQ(home.datafolder() + "monthly_alerts.dat", path);
    ASSERT_EQ(0, getannualalertfilename(path));
    EXPECT_EQ(home.datafolder() + "annual_alerts.dat", path);
    // The bytes after the path are zeros, as every caller may rely on.
    for (int i = (int)strlen(path); i < PATHBUFSIZE; i++) ASSERT_EQ('\0', path[i]);
}

// The toolkit cuts a long folder short, and HOME unset or empty puts the
// folder outside the home: such a path is refused, never used.
namespace {

// A folder below home whose path has at least length characters.
std::string deepfolder(const std::string& home, size_t length) {
    std::string folder = home;
    while (folder.size() < length) {
        folder += "/" + std::string(100, 'd');
        mkdir(folder.c_str(), 0700);
    }
    return folder;
}

}  // namespace

// The toolkit cuts a long folder short and still reports success, and HOME
// unset or empty puts the folder outside the home: such a path is refused and
// never used; so is one too long for a path buffer.
TEST(DataFolder, AFolderCutShortTooLongOrOutsideHomeIsRefused) {
    scratchhome home;
    char path[PATHBUFSIZE];
    setenv("HOME", deepfolder(home.home(), 480).c_str(), 1);
    EXPECT_EQ(1, getconfigfilename(path));
    EXPECT_LT(strlen(path), (size_t)PATHBUFSIZE);
    setenv("HOME", deepfolder(home.home(), 1010).c_str(), 1);
    EXPECT_EQ(1, getconfigfilename(path));
    setenv("HOME", "", 1);
    EXPECT_EQ(1, getconfigfilename(path));
    unsetenv("HOME");
    EXPECT_EQ(1, getconfigfilename(path));
    EXPECT_STREQ("$HOME/.fltk/ruvello/config/config.dat", path);
    setenv("HOME", deepfolder(home.home(), 300).c_str(), 1);
    EXPECT_EQ(0, getconfigfilename(path));
}

// An account whose home is the root folder keeps its data in /.fltk/: that is
// below its home. (Checked on the rule itself: the test must not write to /.)
TEST(DataFolder, EveryFolderLiesBelowAHomeOfRootAndNoneBelowANeighbour) {
    EXPECT_TRUE(folderbelowhome("/.fltk/ruvello/config/", "/"));
    EXPECT_TRUE(folderbelowhome("/home/jo/.fltk/ruvello/config/", "/home/jo//"));
    EXPECT_FALSE(folderbelowhome("/home/joe/.fltk/ruvello/config/", "/home/jo"));
    EXPECT_FALSE(folderbelowhome("/etc/fltk/ruvello/config/", ""));
}

TEST(CreateIfAbsent, ExistingFilesAreLeftUntouchedAndSilent) {
    scratchhome home;
    char path[PATHBUFSIZE];
    ASSERT_EQ(0, getconfigfilename(path));
    for (std::string contents : {std::string(), std::string("7\n3\n")}) {
        ASSERT_TRUE(writewholefile(path, contents));
        int result = -1;
        EXPECT_EQ("", capturecreate(path, &result));
        EXPECT_EQ(0, result);
        EXPECT_EQ(contents, readwholefile(path));
    }
}

TEST(CreateIfAbsent, AMissingFileIsCreatedEmptyAndPrivateWithItsNotice) {
    scratchhome home;
    char path[PATHBUFSIZE];
    ASSERT_EQ(0, getannualalertfilename(path));
    int result = -1;
    std::string notice = capturecreate(path, &result);
    EXPECT_EQ(0, result);
    EXPECT_EQ(std::string("The following file has been created:\n\t\"") + path + "\"\n", notice);
    EXPECT_EQ("", readwholefile(path));
    EXPECT_TRUE(fileexists(path));
    EXPECT_EQ(0600, filemode(path));
}

// Root ignores permission bits, so failures are made with things in the way.
TEST(CreateIfAbsent, WhatCannotBeCreatedOrReadGivesTheErrorAndOne) {
    scratchhome home;
    std::string plain = home.home() + "/plainfile";
    ASSERT_TRUE(writewholefile(plain, "x"));
    std::string below = plain + "/config.dat";
    std::string dangling = home.home() + "/dangling.dat";
    ASSERT_EQ(0, symlink((home.home() + "/nowhere/x").c_str(), dangling.c_str()));
    std::string folder = home.home() + "/folder.dat";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    for (const std::string& target : {below, dangling, folder}) {
        char path[PATHBUFSIZE];
        snprintf(path, sizeof path, "%s", target.c_str());
        int result = -1;
        std::string message = capturecreate(path, &result);
        EXPECT_EQ(1, result) << target;
        EXPECT_EQ("ERROR: cannot create the following file\n\t\"" + target + "\"\n", message);
    }
    EXPECT_EQ("x", readwholefile(plain));
}

// Many processes starting together all find the file, and none empties it.
TEST(CreateIfAbsent, ProcessesCreatingTheSameFileAtOnceAllSucceed) {
    scratchhome home;
    char path[PATHBUFSIZE];
    ASSERT_EQ(0, getsinglealertfilename(path));
    for (int round = 0; round < 20; round++) {
        unlink(path);
        std::vector<pid_t> children;
        for (int i = 0; i < 4; i++) {
            pid_t child = fork();
            if (child == 0) {
                freopen("/dev/null", "w", stdout);
                _exit(createifabsent(path));
            }
            children.push_back(child);
        }
        for (pid_t child : children) {
            int status = 0;
            waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            ASSERT_EQ(0, WEXITSTATUS(status)) << "round " << round;
        }
    }
}

TEST(ReadOneDataLine, LineEndsAreCutWhetherCrLfLfOrAnInnerCarriageReturn) {
    std::vector<std::string> lines = readall("1 dos\r\n2 unix\n3 inner\rrest\n4 last without end");
    EXPECT_EQ((std::vector<std::string>{"1 dos", "2 unix", "3 inner", "4 last without end"}), lines);
}

TEST(ReadOneDataLine, CommentLinesOfEveryKindAreSkipped) {
    std::string contents = "# hash\n 5 space first\nletter\n\xc3\xa9 high byte\n\n\r\n-3 negative\n7 data\n";
    EXPECT_EQ((std::vector<std::string>{"7 data"}), readall(contents));
    EXPECT_TRUE(readall("# only\n# comments\n\n").empty());
    EXPECT_TRUE(readall("").empty());
}

// A line longer than the buffer comes back in pieces of 511 characters; each
// following piece is judged as a line of its own.
TEST(ReadOneDataLine, ALongLineComesBackIn511CharacterPieces) {
    std::string first = "1" + std::string(510, 'a');
    std::string rest = "2" + std::string(88, 'b');
    std::vector<std::string> lines = readall(first + rest + "\n" + "3" + std::string(520, 'c') + "\n");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(first, lines[0]);
    EXPECT_EQ(rest, lines[1]);
    EXPECT_EQ(511u, lines[2].size());  // its 10-character rest begins with 'c' and is skipped
}

// A read error must not look like the end of the list: a directory opened as a
// file fails on its first read.
TEST(ReadOneDataLine, AReadErrorIsToldApartFromTheEnd) {
    scratchhome home;
    FILE* file = fopen(home.home().c_str(), "r");
    ASSERT_NE(nullptr, file);
    char line[LINEBUFSIZE];
    EXPECT_FALSE(readonedataline(file, line));
    EXPECT_TRUE(datareadfailed(file));
    fclose(file);
}
