#include "robustsupport.h"

#include "testsupport.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

double now() {
    struct timespec moment;
    clock_gettime(CLOCK_MONOTONIC, &moment);
    return moment.tv_sec + moment.tv_nsec / 1e9;
}

}  // namespace

runresult runprogram(const std::vector<std::string>& argv, const std::vector<std::string>& settings,
                     double seconds) {
    runresult result = {false, false, -1, "", ""};
    int outpipe[2];
    int errpipe[2];
    if (pipe2(outpipe, O_CLOEXEC) != 0 || pipe2(errpipe, O_CLOEXEC) != 0) return result;
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(outpipe[1], 1);
        dup2(errpipe[1], 2);
        for (const std::string& setting : settings) putenv(strdup(setting.c_str()));
        std::vector<char*> arguments;
        for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
        arguments.push_back(NULL);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    close(outpipe[1]);
    close(errpipe[1]);
    double deadline = now() + seconds;
    bool killed = false;
    struct pollfd watched[2] = {{outpipe[0], POLLIN, 0}, {errpipe[0], POLLIN, 0}};
    int openpipes = 2;
    while (openpipes > 0) {
        double left = deadline - now();
        if (left <= 0 && !killed) {
            kill(child, SIGKILL);
            killed = true;
        }
        int ready = poll(watched, 2, left > 0 ? (int)(left * 1000) + 1 : 200);
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; i++) {
            if (watched[i].fd < 0 || watched[i].revents == 0) continue;
            char buffer[65536];
            ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                close(watched[i].fd);
                watched[i].fd = -1;
                openpipes--;
            } else if (i == 0) {
                result.out.append(buffer, (size_t)got);
            } else {
                result.err.append(buffer, (size_t)got);
            }
        }
    }
    // Output closed: the program (or what it left running) is done with it.
    int status = 0;
    for (;;) {
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (now() > deadline && !killed) {
            kill(child, SIGKILL);
            killed = true;
        }
        usleep(2000);
    }
    result.finished = !killed;
    if (WIFSIGNALED(status)) {
        result.signalled = true;
        result.status = WTERMSIG(status);
    } else {
        result.status = WEXITSTATUS(status);
    }
    return result;
}

std::string faultshim() { return bindir() + "/libruvellofaultshim.so"; }

std::string withasanpreload() {
    // A sanitized program insists on its runtime being loaded first; the shim
    // is loaded before it on purpose, so that check is turned off for it.
    const char* options = getenv("ASAN_OPTIONS");
    std::string setting = "ASAN_OPTIONS=";
    if (options != NULL && options[0] != '\0') setting += std::string(options) + ":";
    return setting + "verify_asan_link_order=0";
}

long envcount(const char* name, long fallback) {
    const char* text = getenv(name);
    if (text == NULL || text[0] == '\0') return fallback;
    long value = atol(text);
    return value > 0 ? value : fallback;
}

const char* const DATAFILENAMES[DATAFILECOUNT] = {"config.dat", "single_alerts.dat", "monthly_alerts.dat",
                                                   "annual_alerts.dat", "weekly_alerts.dat"};

// Comments, CR LF and LF mixed, bytes outside ASCII, a last line without its end.
const std::string HANDMADEFILES[DATAFILECOUNT] = {
    "# mine\n12 days\n4\n",
    "2031-01-02 09:05 - old simple\n",
    "# kept by hand\r\n05 - the old list\r\n06 - caf\xc3\xa9 \x01 ~\n07 - no line end",
    "12-24 - Buy the tree\n01-15 - b\n",
    "# weekly\r\n07:30 12345 - old weekly\r\n21:00 1234567 - caf\xc3\xa9",
};

bool puthandmadefiles(const std::string& datafolder) {
    if (system(("mkdir -p '" + datafolder + "'").c_str()) != 0) return false;
    for (int i = 0; i < DATAFILECOUNT; i++) {
        if (!writewholefile(datafolder + DATAFILENAMES[i], HANDMADEFILES[i])) return false;
    }
    return true;
}
