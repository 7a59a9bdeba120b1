// The reminder service under races, hostile alarm text and bad data files.
// The race runs the service's own cycle in a child process while another
// process rewrites the files; the other checks run the real ruvelloservice,
// copied into a scratch folder beside a recording ruvellomsgbox (the service
// starts the copy beside its own executable first), without a display so no
// error box waits.
#include "calendar.h"
#include "datafiles.h"
#include "datalinemodel.h"
#include "robustlists.h"
#include "robustsupport.h"
#include "behaviourmodel.h"
#include "scheduler.h"
#include "statefile.h"
#include "statefolder.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> launchedlines;

bool recordline(const char* line, const char*) {
    launchedlines.push_back(line);
    return true;
}

bool copyfile(const std::string& from, const std::string& to) {
    std::string bytes = readwholefile(from);
    return !bytes.empty() && writewholefile(to, bytes) && chmod(to.c_str(), 0755) == 0;
}

// A service of its own in folder/bin, with the recording message box beside it.
struct servicecopy {
    std::string program;
    std::string log;
};

servicecopy installservice(const std::string& folder) {
    servicecopy copy;
    std::string bin = folder + "/bin";
    mkdir(bin.c_str(), 0700);
    copy.program = bin + "/ruvelloservice";
    copy.log = folder + "/announced.log";
    EXPECT_TRUE(copyfile(bindir() + "/ruvelloservice", copy.program));
    EXPECT_TRUE(copyfile(bindir() + "/recordingmsgbox", bin + "/ruvellomsgbox"));
    return copy;
}

// The announcements recorded so far: each one argument list, or "argc=<n>" when not one argument.
std::vector<std::string> announcements(const std::string& log) {
    std::vector<std::string> found;
    std::string bytes = readwholefile(log);
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) break;
        std::string record = bytes.substr(at, end - at);
        at = end + 1;
        if (record.compare(0, 3, "fd ") == 0) continue;
        size_t space = record.find(' ');
        if (record.compare(0, space, "2") != 0 || space == std::string::npos) {
            found.push_back("argc=" + record.substr(0, space));
            continue;
        }
        std::string argument;
        for (size_t i = space + 1; i + 1 < record.size(); i += 2) {
            argument += (char)strtol(record.substr(i, 2).c_str(), NULL, 16);
        }
        found.push_back(argument);
    }
    return found;
}

// What the descriptors that the message boxes inherited name, one entry each.
std::vector<std::string> inheriteddescriptors(const std::string& log) {
    std::vector<std::string> found;
    std::string bytes = readwholefile(log);
    size_t at = 0;
    while ((at = bytes.find("fd ", at)) != std::string::npos) {
        size_t end = bytes.find('\n', at);
        std::string target;
        for (size_t i = at + 3; i + 1 < end; i += 2) target += (char)strtol(bytes.substr(i, 2).c_str(), NULL, 16);
        found.push_back(target);
        at = end;
    }
    return found;
}

double now() {
    struct timespec moment;
    clock_gettime(CLOCK_MONOTONIC, &moment);
    return moment.tv_sec + moment.tv_nsec / 1e9;
}

pid_t startservice(const servicecopy& copy, const std::string& errfile) {
    pid_t child = fork();
    if (child == 0) {
        int err = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(err, 2);
        close(err);
        close(null);
        unsetenv("DISPLAY");
        setenv("RUVELLO_RECORD_LOG", copy.log.c_str(), 1);
        execl(copy.program.c_str(), copy.program.c_str(), (char*)NULL);
        _exit(127);
    }
    return child;
}

// Whether a process that parent started still runs (the service's message
// boxes: the service ignores SIGCHLD, so an ended one leaves no zombie).
bool haschildren(pid_t parent) {
    DIR* proc = opendir("/proc");
    if (proc == NULL) return false;
    bool found = false;
    while (struct dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        std::string stat = readwholefile(std::string("/proc/") + entry->d_name + "/stat");
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        size_t close = stat.rfind(')');
        char state;
        int ppid;
        if (close != std::string::npos && sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 &&
            ppid == parent) {
            found = true;
            break;
        }
    }
    closedir(proc);
    return found;
}

std::string statefilepath() {
    char path[PATHBUFSIZE];
    EXPECT_EQ(0, getstatefilename(path, STATEFILENAME));
    return path;
}

// How a wait for the service's cycle ended.
enum cycleoutcome { CYCLESAVED, SERVICEENDED, NOSAVE };

// Waits until the service saved its state anew (the file no longer holds
// before) and no message box it started still runs, or until it ends or
// seconds pass. The save is the last thing of a cycle that announced
// something or began a day, so after it all the cycle announced is recorded.
cycleoutcome waitforsave(pid_t service, const std::string& before, double seconds, int* status) {
    std::string path = statefilepath();
    double deadline = now() + seconds;
    while (now() < deadline) {
        if (waitpid(service, status, WNOHANG) == service) return SERVICEENDED;
        std::string saved = readwholefile(path);
        if (!saved.empty() && saved != before && !haschildren(service)) return CYCLESAVED;
        usleep(50000);
    }
    return waitpid(service, status, WNOHANG) == service ? SERVICEENDED : NOSAVE;
}

void stopservice(pid_t service) {
    kill(service, SIGKILL);
    int status;
    waitpid(service, &status, 0);
}

modeldate today() {
    modeldate date;
    getdate(&date.year, &date.month, &date.day);
    return date;
}

std::string twodigits(int value) {
    char text[16];
    snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

// The service's reading code loops over the files (every cycle reads the
// configuration and all three lists) while another process rewrites the
// monthly list and the configuration RUVELLO_REWRITES times (default 1000):
// each cycle announces one complete version of the list, never a part, the
// configuration always reads whole (no configuration message), and the
// service never stops with a file error.
TEST(Concurrency, TheServiceReadingCodeNeverSeesAPartialFile) {
    scratchhome home;
    createdatafiles();
    char monthly[PATHBUFSIZE];
    char config[PATHBUFSIZE];
    ASSERT_EQ(0, getmonthlyalertfilename(monthly));
    ASSERT_EQ(0, getconfigfilename(config));
    ASSERT_EQ(0, runprogram({bindir() + "/robustwriter", "loop", monthly, "1", "1", config}, {}, 60).status);
    long rewrites = envcount("RUVELLO_REWRITES", 1000);
    std::string result = home.home() + "/reader.result";
    std::string errors = home.home() + "/reader.err";
    pid_t writer = fork();
    if (writer == 0) {
        execl((bindir() + "/robustwriter").c_str(), "robustwriter", "loop", monthly, "2",
              std::to_string(rewrites).c_str(), config, (char*)NULL);
        _exit(127);
    }
    pid_t reader = fork();
    if (reader == 0) {
        freopen(errors.c_str(), "w", stderr);
        static schedulerstate state;
        initschedulerstate(&state);
        long cycles = 0;
        int last = 1;
        for (;;) {
            // Each cycle a first one, so the day's memory never hides a line.
            clearschedulerstate(&state);
            launchedlines.clear();
            runcycle(&state, 2026, 5, 5, "2026-05-05 12:00", 1777982400, recordline);
            int version = listversion(launchedlines);
            cycles++;
            if (version < last) {
                FILE* out = fopen(result.c_str(), "w");
                fprintf(out, "cycle %ld announced %zu lines of no one version (last %d)\n", cycles,
                        launchedlines.size(), last);
                fclose(out);
                _exit(3);
            }
            last = version;
            // Until the writer's last version is read; should the writer fail, it is stopped.
            if (version == rewrites + 1) break;
        }
        FILE* out = fopen(result.c_str(), "w");
        fprintf(out, "%ld %d\n", cycles, last);
        fclose(out);
        _exit(0);
    }
    int writerstatus = 0;
    int readerstatus = 0;
    waitpid(writer, &writerstatus, 0);
    if (!WIFEXITED(writerstatus) || WEXITSTATUS(writerstatus) != 0) kill(reader, SIGKILL);
    waitpid(reader, &readerstatus, 0);
    std::string outcome = readwholefile(result);
    ASSERT_TRUE(WIFEXITED(writerstatus) && WEXITSTATUS(writerstatus) == 0);
    ASSERT_TRUE(WIFEXITED(readerstatus)) << "the reader crashed";
    ASSERT_EQ(0, WEXITSTATUS(readerstatus)) << outcome << readwholefile(errors);
    EXPECT_EQ("", readwholefile(errors)) << "a configuration message means a configuration read in part";
    long cycles = 0;
    int last = 0;
    ASSERT_EQ(2, sscanf(outcome.c_str(), "%ld %d", &cycles, &last));
    EXPECT_EQ(rewrites + 1, last);
    printf("rewrites raced: %ld (of the list and of the configuration), service cycles read whole: %ld\n", rewrites,
           cycles);
}

// Messages with shell metacharacters, quotes, percent signs, bytes that are
// not UTF-8, tabs, a leading '-' and the longest lines (a monthly one of 511
// characters, a simple one with a 492-byte message) reach ruvellomsgbox as its
// one argument, unchanged but for '"' turned into '*', and nothing else runs.
TEST(HostileText, ReachesTheMessageBoxAsItsOneArgumentUnchangedButQuotes) {
    scratchhome home;
    servicecopy service = installservice(home.home());
    std::string canary = home.home() + "/ran";
    std::vector<std::string> messages = {
        "$(touch " + canary + "1)",
        "`touch " + canary + "2`",
        "x; touch " + canary + "3",
        "x | touch " + canary + "4",
        "x & touch " + canary + "5 &",
        "x > " + canary + "6",
        "say \"hi\" and 'bye' \"",
        "100% %s %n %x %%",
        "caf\xc3 \xff\xfe \x80 \xed\xa0\x80 \x01\x1b[31m",
        "tab\there\t",
        "-e -n --help",
        std::string(506, 'L'),
    };
    modeldate date = today();
    std::vector<std::string> lines;
    std::string monthly;
    std::string annual;
    for (size_t i = 0; i < messages.size(); i++) {
        // Half as monthly lines, half as annual lines, all due today.
        std::string line = i % 2 == 0 ? twodigits(date.day) + " - " + messages[i]
                                      : twodigits(date.month) + "-" + twodigits(date.day) + " - " + messages[i];
        if (line.size() > 511) line = twodigits(date.day) + " - " + messages[i];
        (i % 2 == 0 || line[2] == ' ' ? monthly : annual) += line + "\n";
        lines.push_back(line);
    }
    // A first run with empty lists saves the minute of its first cycle;
    // the second run catches up from there. So the simple alarm of a later
    // minute comes whenever the second run starts, as do the lines of the day.
    pid_t running = startservice(service, home.home() + "/service.err");
    int status = 0;
    ASSERT_EQ(CYCLESAVED, waitforsave(running, "", 60, &status)) << readwholefile(home.home() + "/service.err");
    stopservice(running);
    std::string firstrun = readwholefile(statefilepath());
    size_t scanned = firstrun.find("\nscanned ");
    ASSERT_NE(std::string::npos, scanned) << firstrun;
    std::string firstminute = firstrun.substr(scanned + 9, 16);
    // And a simple alarm in the current minute, once it is past the first
    // run's, with the longest message it can hold, 492 bytes of all of the above.
    char stamp[STAMPBUFSIZE];
    for (gettimestamp(stamp); std::string(stamp) <= firstminute; gettimestamp(stamp)) usleep(200000);
    std::string longest;
    while (longest.size() < 492) longest += messages[longest.size() % 11];
    longest.resize(492);
    std::string simple = std::string(stamp) + " - " + longest;
    lines.push_back(simple);
    std::string folder = home.datafolder();
    ASSERT_EQ(0, system(("mkdir -p '" + folder + "'").c_str()));
    ASSERT_TRUE(writewholefile(folder + "monthly_alerts.dat", monthly));
    ASSERT_TRUE(writewholefile(folder + "annual_alerts.dat", annual));
    ASSERT_TRUE(writewholefile(folder + "single_alerts.dat", simple + "\n"));
    running = startservice(service, home.home() + "/service.err");
    cycleoutcome outcome = waitforsave(running, firstrun, 60, &status);
    stopservice(running);
    if (!(today() == date)) GTEST_SKIP() << "the date changed during the test";
    EXPECT_EQ(CYCLESAVED, outcome) << readwholefile(home.home() + "/service.err");
    std::vector<std::string> got = announcements(service.log);
    std::vector<std::string> expected;
    for (std::string line : lines) {
        for (char& c : line) {
            if (c == '"') c = '*';
        }
        expected.push_back(line);
    }
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, got);
    for (int i = 1; i <= 6; i++) EXPECT_FALSE(fileexists(canary + std::to_string(i))) << "a command ran: " << i;
    EXPECT_FALSE(fileexists(home.home() + "/bin/x"));
    // Nor does a message box keep a data file (or the service's lock) open.
    for (const std::string& target : inheriteddescriptors(service.log)) {
        EXPECT_EQ(std::string::npos, target.find(home.home())) << "a message box inherited " << target;
    }
}

// A folder or a dangling link in a data file's place ends the service with its
// file error and status 1; random bytes, NUL bytes and very long lines are
// read as any data file is, and the service keeps running. No crash, no hang.
TEST(BadFiles, TheServiceReadsAnyBytesAsDataLinesOrStopsWithItsFileError) {
    for (int blocked : {0, 3}) {
        scratchhome home;
        servicecopy service = installservice(home.home());
        std::string folder = home.datafolder();
        ASSERT_EQ(0, system(("mkdir -p '" + folder + "'").c_str()));
        std::string path = folder + (blocked == 0 ? "config.dat" : "annual_alerts.dat");
        if (blocked == 0) ASSERT_EQ(0, mkdir(path.c_str(), 0700));
        else ASSERT_EQ(0, symlink("gone/missing.dat", path.c_str()));
        runresult run = runprogram({service.program}, {"DISPLAY=", "RUVELLO_RECORD_LOG=" + service.log}, 60);
        ASSERT_TRUE(run.finished) << "the service did not stop";
        EXPECT_FALSE(run.signalled) << run.err;
        EXPECT_EQ(1, run.status) << run.err;
        EXPECT_NE(std::string::npos,
                  run.err.find("FATAL ERROR\nCannot create, read or write the following file\n   \"" + path + "\""))
            << run.err;
    }

    scratchhome home;
    servicecopy service = installservice(home.home());
    std::string folder = home.datafolder();
    ASSERT_EQ(0, system(("mkdir -p '" + folder + "'").c_str()));
    std::mt19937 random(31337);
    std::string noise(10 * 1024 * 1024, '\0');
    for (char& byte : noise) byte = (char)(random() & 0xff);
    std::string noise2 = noise;
    std::reverse(noise2.begin(), noise2.end());
    modeldate date = today();
    std::string day = twodigits(date.day);
    std::string odd = std::string("\0", 1) + day + " - hidden\n" + day + std::string(" - nul\0tail\n", 12) + day +
                      " - " + std::string(2000, 'w') + "\n" + std::string(3000, '3') + "\r\n";
    // 700 digits: two data lines (511 and 189 nines), so 30 and then 1; the
    // line after a NUL byte is no data line.
    std::string config = std::string(700, '9') + "\n" + std::string("\0" "5\n", 3) + "2\n";
    ASSERT_TRUE(writewholefile(folder + "config.dat", config));
    ASSERT_TRUE(writewholefile(folder + "single_alerts.dat", noise2));
    ASSERT_TRUE(writewholefile(folder + "monthly_alerts.dat", odd));
    ASSERT_TRUE(writewholefile(folder + "annual_alerts.dat", noise));
    std::set<std::string> memory;
    std::vector<std::string> expected;
    std::vector<std::string> configlines = modeldatalines(config.data(), config.size());
    modellists(date, modelsettings(configlines), modeldatalines(odd.data(), odd.size()),
               modeldatalines(noise.data(), noise.size()), &memory, &expected);
    ASSERT_FALSE(expected.empty());
    pid_t running = startservice(service, home.home() + "/service.err");
    int status = 0;
    cycleoutcome outcome = waitforsave(running, "", 120, &status);
    stopservice(running);
    if (!(today() == date)) GTEST_SKIP() << "the date changed during the test";
    EXPECT_EQ(CYCLESAVED, outcome) << "the service stopped or saved nothing: "
                                   << readwholefile(home.home() + "/service.err");
    std::vector<std::string> got = announcements(service.log);
    for (std::string& line : expected) {
        for (char& c : line) {
            if (c == '"') c = '*';
        }
    }
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    // Compared whole, without printing the noise on a mismatch.
    EXPECT_TRUE(expected == got) << got.size() << " announced, " << expected.size() << " expected";
    printf("announced from the bad files: %zu lines\n", got.size());
}

// A pipe or a device put in a list's place while the service runs: the next
// cycle stops the service with its file error, instead of waiting on the pipe
// for ever or reading zero bytes from /dev/zero without end.
TEST(BadFiles, APipeOrADeviceInAListsPlaceStopsTheServiceAtItsNextCycle) {
    for (int kind = 0; kind < 2; kind++) {
        scratchhome home;
        createdatafiles();
        char path[PATHBUFSIZE];
        ASSERT_EQ(0, kind == 0 ? getmonthlyalertfilename(path) : getannualalertfilename(path));
        ASSERT_EQ(0, unlink(path));
        if (kind == 0) ASSERT_EQ(0, mkfifo(path, 0600));
        else ASSERT_EQ(0, symlink("/dev/zero", path));
        std::string errors = home.home() + "/cycle.err";
        pid_t child = fork();
        if (child == 0) {
            alarm(20);
            unsetenv("DISPLAY");
            freopen(errors.c_str(), "w", stderr);
            static schedulerstate state;
            initschedulerstate(&state);
            runcycle(&state, 2026, 5, 5, "2026-05-05 12:00", 1777982400, recordline);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << path << ": the cycle was still reading after 20 seconds";
        EXPECT_EQ(1, WEXITSTATUS(status)) << path;
        // After the configuration message, as the configuration file is empty.
        std::string message = "FATAL ERROR\nCannot create, read or write the following file\n   \"" + std::string(path) + "\"";
        std::string written = readwholefile(errors);
        EXPECT_TRUE(written.size() >= message.size() && written.compare(written.size() - message.size(), message.size(), message) == 0)
            << written;
    }
}
