#include "notification.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A stand-in for ruvellomsgbox that records its argument count, its first
// argument and the signal state it was started with, one line per run.
void writerecorder(const std::string& folder, const std::string& log) {
    // awk reports the state that the started program inherited, as bash execs it.
    std::string script = "#!/bin/bash\n"
                         "printf '%s|%s|' \"$#\" \"$1\" >> '" + log + "'\n"
                         "exec awk '/^Sig(Blk|Ign)/ { printf \"%s%s \", $1, $2 } END { print \"\" }' /proc/self/status >> '" +
                         log + "'\n";
    std::string path = folder + "/ruvellomsgbox";
    ASSERT_TRUE(writewholefile(path, script));
    ASSERT_EQ(0, chmod(path.c_str(), 0755));
}

// The recorded line with the signal masks cut to the signals a program can
// handle (1 to 31): the C library keeps its own signals 32 and 33 to itself.
std::string withplainsignals(const std::string& recorded) {
    std::string result = recorded;
    for (const char* name : {"SigBlk:", "SigIgn:"}) {
        size_t at = result.find(name);
        if (at == std::string::npos) continue;
        at += strlen(name);
        size_t end = result.find(' ', at);
        unsigned long long mask = strtoull(result.substr(at, end - at).c_str(), NULL, 16) & 0x7fffffffULL;
        char text[32];
        snprintf(text, sizeof text, "%08llx", mask);
        result.replace(at, end - at, text);
    }
    return result;
}

// Waits for the started programs to end and gives what they recorded.
std::string waitforlog(const std::string& log, int lines) {
    for (int i = 0; i < 500; i++) {
        std::string text = readwholefile(log);
        int count = 0;
        for (char c : text) count += c == '\n';
        if (count >= lines) return withplainsignals(text);
        usleep(10000);
    }
    return withplainsignals(readwholefile(log));
}

void reapchildren() {
    while (waitpid(-1, NULL, WNOHANG) > 0) {
    }
}

class Launch : public testing::Test {
protected:
    scratchhome home;
    std::string oldpath;
    void SetUp() override {
        const char* path = getenv("PATH");
        oldpath = path == NULL ? "" : path;
    }
    void TearDown() override {
        setenv("PATH", oldpath.c_str(), 1);
        reapchildren();
    }
};

}  // namespace

TEST(NotificationText, QuotesBecomeAsterisksAndTheLineStaysOneArgument) {
    char argument[ARGUMENTBUFSIZE];
    ASSERT_EQ(0, makenotificationargument("05-17 - say \"hi\"", argument, sizeof argument));
    EXPECT_STREQ("05-17 - say *hi*", argument);
    ASSERT_EQ(0, makenotificationargument("12-24 - Buy the tree", argument, sizeof argument));
    EXPECT_STREQ("12-24 - Buy the tree", argument);
    // The longest data line fits; a longer text is refused, never cut.
    std::string longest(511, '"');
    ASSERT_EQ(0, makenotificationargument(longest.c_str(), argument, sizeof argument));
    EXPECT_EQ(std::string(511, '*'), argument);
    char small[8];
    EXPECT_EQ(1, makenotificationargument("12345678", small, sizeof small));
    EXPECT_STREQ("", small);
}

TEST(NotificationText, FatalMessagesAreTheSystemsOwn) {
    EXPECT_STREQ("Ruvello cannot run \"ruvellomsgbox\"\n\n  Fatal error: the application is quitting.", LAUNCHFAILUREMESSAGE);
    EXPECT_STREQ("Ruvello - Out of memory error.\n\nPlease contact the author about this error:\n", OUTOFMEMORYMESSAGE);
    char message[MESSAGEBUFSIZE];
    ASSERT_EQ(0, makefileerrormessage("/home/a%sb@c/x.dat", message, sizeof message));
    EXPECT_STREQ("FATAL ERROR\nCannot create, read or write the following file\n   \"/home/a%sb@c/x.dat\"", message);
}

TEST(NotificationFatal, MessagesGoToStandardErrorUnchangedAndEndWithStatusOne) {
    // Without a display no box waits; percent signs are text, not directives.
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            fatalerrorandexit("100% %s %n done\n", tmpfile());
        },
        testing::ExitedWithCode(1), "^100% %s %n done\n$");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            reportfileerrorandexit("/data/50%d/single_alerts.dat");
        },
        testing::ExitedWithCode(1),
        "^FATAL ERROR\nCannot create, read or write the following file\n   \"/data/50%d/single_alerts.dat\"$");
    // The error box without a display returns, and the toolkit does not end the process.
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            showerrorbox("nobody sees this");
            exit(7);
        },
        testing::ExitedWithCode(7), "^$");
}

TEST_F(Launch, ProgramBesideComesFirstThenPathAndTheArgumentArrivesWhole) {
    std::string beside = makescratchfolder();
    std::string onpath = makescratchfolder();
    std::string log = home.home() + "/log";
    writerecorder(beside, log + ".beside");
    writerecorder(onpath, log + ".path");
    setenv("PATH", (onpath + ":/usr/bin:/bin").c_str(), 1);
    const char* line = "05-17 - two  spaces, $HOME, `x`, 'q' & a;b";
    ASSERT_TRUE(startprogram(beside.c_str(), "ruvellomsgbox", line));
    EXPECT_EQ("1|" + std::string(line) + "|SigBlk:00000000 SigIgn:00000000 \n",
              waitforlog(log + ".beside", 1));
    ASSERT_TRUE(startprogram(home.home().c_str(), "ruvellomsgbox", "x"));
    EXPECT_EQ("1|x|SigBlk:00000000 SigIgn:00000000 \n", waitforlog(log + ".path", 1));
    EXPECT_FALSE(fileexists(home.home() + "/ruvellomsgbox"));
}

// The minute announced reaches the box in its environment, in place of any
// value the service itself inherited.
TEST_F(Launch, TheSettingGivenReachesTheStartedProgramsEnvironmentOnce) {
    std::string beside = makescratchfolder();
    std::string log = home.home() + "/log";
    ASSERT_TRUE(writewholefile(beside + "/ruvellomsgbox",
                               "#!/bin/bash\nprintf '%s|%s\\n' \"$1\" \"$(env | grep '^RUVELLO_DUE=')\" >> '" + log + "'\n"));
    ASSERT_EQ(0, chmod((beside + "/ruvellomsgbox").c_str(), 0755));
    setenv("RUVELLO_DUE", "stale", 1);
    bool started = startprogram(beside.c_str(), "ruvellomsgbox", "x", "RUVELLO_DUE=2026-05-17 00:00");
    unsetenv("RUVELLO_DUE");
    ASSERT_TRUE(started);
    EXPECT_EQ("x|RUVELLO_DUE=2026-05-17 00:00\n", waitforlog(log, 1));
}

TEST_F(Launch, StartedProgramGetsDefaultSignalsWhateverTheServiceIgnoresOrBlocks) {
    std::string beside = makescratchfolder();
    std::string log = home.home() + "/log";
    writerecorder(beside, log);
    struct sigaction old[3];
    int signals[3] = {SIGCHLD, SIGTERM, SIGPIPE};
    for (int i = 0; i < 3; i++) {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(signals[i], &ignore, &old[i]);
    }
    sigset_t blocked, oldmask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    sigprocmask(SIG_BLOCK, &blocked, &oldmask);
    bool started = startprogram(beside.c_str(), "ruvellomsgbox", "x");
    sigprocmask(SIG_SETMASK, &oldmask, NULL);
    for (int i = 0; i < 3; i++) sigaction(signals[i], &old[i], NULL);
    ASSERT_TRUE(started);
    EXPECT_EQ("1|x|SigBlk:00000000 SigIgn:00000000 \n", waitforlog(log, 1));
}

TEST_F(Launch, FailsWhenTheProgramCannotBeStartedAnywhere) {
    if (getenv("RUVELLO_LAUNCH_FROM_COPY") != NULL) {
        // Run as the copy below: nothing beside it and nothing on the path is a program.
        EXPECT_FALSE(launchnotification("x", "2026-05-17 00:00"));
        return;
    }
    std::string empty = makescratchfolder();
    setenv("PATH", empty.c_str(), 1);
    EXPECT_FALSE(startprogram(empty.c_str(), "ruvellomsgbox", "x"));
    // A file that is no program, beside and on the path: the exec fails, and so does the launch.
    std::string path = empty + "/ruvellomsgbox";
    ASSERT_TRUE(writewholefile(path, "not a program\n"));
    ASSERT_EQ(0, chmod(path.c_str(), 0644));
    EXPECT_FALSE(startprogram(empty.c_str(), "ruvellomsgbox", "x"));
    // The service's own launcher looks beside the running program first, and a
    // real message box lies beside this test: a copy of the test, alone in the
    // folder with the file that is no program, runs the launcher instead.
    std::string copy = empty + "/service_tests";
    ASSERT_TRUE(writewholefile(copy, readwholefile("/proc/self/exe")));
    ASSERT_EQ(0, chmod(copy.c_str(), 0755));
    std::string command = "/usr/bin/env PATH='" + empty + "' RUVELLO_LAUNCH_FROM_COPY=1 '" + copy +
                          "' --gtest_filter=Launch.FailsWhenTheProgramCannotBeStartedAnywhere >'" + empty +
                          "/copy.out' 2>&1";
    int status = system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readwholefile(empty + "/copy.out");
    EXPECT_NE(std::string::npos, readwholefile(empty + "/copy.out").find("[  PASSED  ] 1 test"));
}
