// Measures the configuration panel with long lists, side by side in one run:
//
// 1. Start-up until the window is drawn, with 10,000 lines in each of the
//    three lists against empty lists. Each run is a fresh process of this
//    program that goes through the panel's start-up exactly as its main does
//    (look, lock, window, show, fields, files) and then waits until the window
//    has been exposed and drawn. The runs of the two kinds alternate. Target:
//    the long lists take at most 1.5 times the empty start-up.
// 2. Sorting a list of 10,000 and of 100,000 lines against loading the same
//    lines from their file into the list. Target: sorting takes no longer.
// 3. Export and import from the command line (ruvelloconfig --export FILE,
//    --import FILE) of the same 10,000 alarms of each kind, each a fresh
//    process timed from its start to its end, beside the panel's start-up
//    with those lists from part 1.
// 4. Start-up at scale 2 against scale 1, with empty lists: the same runs as
//    in part 1, the desktop's scale given by GDK_SCALE=2 or left unset,
//    alternating, timed until the window is mapped (the server exposes it)
//    and until it is drawn. The X server must not set Xft.dpi, which would
//    decide both. Target: until mapped at most 1.2 times scale 1.
//
// Usage: configbench [rounds [--scale]]   (under an X server; DISPLAY must be
// set; --scale runs part 4 alone)
#include "alarmlists.h"
#include "datafiles.h"
#include "configfile.h"
#include "desktop.h"
#include "fileformats.h"
#include "settings.h"
#include "window.h"

#include "benchsupport.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/x.H>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const int STARTUPLINES = 10000;
const int DEFAULTROUNDS = 11;
const int SORTROUNDS = 7;

// CPU time of this process (clock CLOCK_PROCESS_CPUTIME_ID) or thread, in seconds.
double cputime(clockid_t clock) {
    struct timespec moment;
    clock_gettime(clock, &moment);
    return moment.tv_sec + moment.tv_nsec / 1e9;
}

// Alarm lines of the given kind in random order, with messages of 10 to 60 characters.
std::vector<std::string> makelines(int count, const char* kind, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> lines;
    char line[LINEBUFSIZE];
    for (int i = 0; i < count; i++) {
        std::string message = "reminder " + std::to_string(random() % 100000) + " ";
        message.append(random() % 50, (char)('a' + random() % 26));
        int month = 1 + (int)(random() % 12);
        int day = 1 + (int)(random() % 28);
        if (strcmp(kind, "annual") == 0) {
            snprintf(line, sizeof line, "%02d-%02d - %s", month, day, message.c_str());
        } else if (strcmp(kind, "monthly") == 0) {
            snprintf(line, sizeof line, "%02d - %s", day, message.c_str());
        } else if (strcmp(kind, "weekly") == 0) {
            // Days of the week as ascending digits: each one chosen or not, at least one.
            std::string days;
            for (char digit = '1'; digit <= '7'; digit++) {
                if (random() % 2 == 0) days += digit;
            }
            if (days.empty()) days = "3";
            snprintf(line, sizeof line, "%02d:%02d %s - %s", (int)(random() % 24), (int)(random() % 60), days.c_str(),
                     message.c_str());
        } else {
            snprintf(line, sizeof line, "%d-%02d-%02d %02d:%02d - %s", 2027 + (int)(random() % 4), month, day,
                     (int)(random() % 24), (int)(random() % 60), message.c_str());
        }
        lines.push_back(line);
    }
    return lines;
}

const char* vectorline(int index, void* context) { return (*(std::vector<std::string>*)context)[index].c_str(); }

void writelist(const std::string& path, const char* description, std::vector<std::string> lines) {
    if (writealertlistfile(path.c_str(), description, vectorline, (int)lines.size(), &lines) != 0) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        exit(2);
    }
}

// A home folder whose data folder holds the configuration and four lists of count lines.
std::string makehome(const std::string& root, const char* name, int count) {
    std::string home = root + "/" + name;
    std::string folder = home + "/.fltk/ruvello/config/";
    std::string command = "mkdir -p '" + folder + "' '" + home + "/run'";
    if (system(command.c_str()) != 0) exit(2);
    if (writeconfigfile((folder + "config.dat").c_str(), 7, 3, DEFAULTSOUND) != 0) exit(2);
    writelist(folder + "single_alerts.dat", "data file for simple alarms", makelines(count, "single", 1));
    writelist(folder + "monthly_alerts.dat", "data file for monthly alarms", makelines(count, "monthly", 2));
    writelist(folder + "annual_alerts.dat", "data file for annual alarms", makelines(count, "annual", 3));
    writelist(folder + "weekly_alerts.dat", "data file for weekly alarms", makelines(count, "weekly", 4));
    return home;
}

// The panel's start-up as its main runs it, up to the window drawn on the
// server. Prints the seconds from the first line of main and the CPU seconds
// of the whole process, and ends it.
[[noreturn]] void startupchild(double started) {
    char name[] = "ruvelloconfig";
    char* argv[] = {name, NULL};
    double scale = readdesktopscale();
    chooselook(1, scale);
    if (anothercopyisopen()) exit(3);
    Fl_Double_Window* window = buildwindow(1, scale);
    window->show(1, argv);
    initfields();
    initfiles();
    // The server exposes the window once it mapped it.
    window->wait_for_expose();
    double mapped = now() - started;
    Fl::flush();
    XSync(fl_display, False);
    printf("%.6f %.6f %g %.6f\n", now() - started, cputime(CLOCK_PROCESS_CPUTIME_ID), scale, mapped);
    fflush(stdout);
    _exit(0);
}

struct startuptime {
    double whole;   // from starting the process to the window drawn
    double inside;  // from the first line of main to the window drawn
    double cpu;     // CPU time of the process until then
    double scale;   // the desktop's scale the panel was built at
    double mapped;  // from starting the process to the window mapped (exposed), not yet drawn
};

// gdkscale: the value of GDK_SCALE for the run, NULL for none.
startuptime runstartup(const char* self, const std::string& home, const char* gdkscale = NULL) {
    int channel[2];
    if (pipe(channel) != 0) exit(2);
    double started = now();
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        dup2(channel[1], 1);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
        if (gdkscale != NULL) setenv("GDK_SCALE", gdkscale, 1);
        else unsetenv("GDK_SCALE");
        execl(self, self, "--startup", (char*)NULL);
        _exit(127);
    }
    close(channel[1]);
    char answer[64] = "";
    ssize_t got = read(channel[0], answer, sizeof answer - 1);
    double whole = now() - started;
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "a start-up run failed (status %d)\n", status);
        exit(2);
    }
    answer[got] = '\0';
    startuptime result = {whole, 0, 0, 0, 0};
    double inside = 0;
    if (sscanf(answer, "%lf %lf %lf %lf", &result.inside, &result.cpu, &result.scale, &inside) != 4) exit(2);
    // The child measured from its first line of main; the drawing came after the mapping.
    result.mapped = whole - (result.inside - inside);
    return result;
}

void benchscale(const char* self, const std::string& root, int rounds) {
    std::string empty = root + "/empty";
    const char* settings[2] = {NULL, "2"};
    std::vector<double> times[2][3];
    // Warms the file cache and the server's fonts at both sizes.
    runstartup(self, empty, settings[0]);
    runstartup(self, empty, settings[1]);
    for (int round = 0; round < rounds; round++) {
        for (int kind = 0; kind < 2; kind++) {
            int which = (round + kind) % 2;
            startuptime run = runstartup(self, empty, settings[which]);
            if (run.scale != (which == 0 ? 1 : 2)) {
                fprintf(stderr, "the panel was built at scale %g: run on an X server that sets no Xft.dpi\n",
                        run.scale);
                exit(2);
            }
            times[which][0].push_back(run.mapped);
            times[which][1].push_back(run.whole);
            times[which][2].push_back(run.cpu);
        }
    }
    const char* rows[] = {"wall time, process start to mapped", "wall time, process start to drawn",
                          "CPU time of the process until drawn"};
    printf("\nStart-up at scale 2 against scale 1, empty lists (medians of %d runs of each, alternating)\n", rounds);
    printf("  %-40s %12s %12s %8s\n", "", "scale 1", "scale 2", "ratio");
    for (int row = 0; row < 3; row++) {
        double one = median(times[0][row]);
        double two = median(times[1][row]);
        printf("  %-40s %9.1f ms %9.1f ms %8.2f", rows[row], one * 1e3, two * 1e3, two / one);
        if (row == 0) printf("  %s", two / one <= 1.2 ? "met" : "MISSED");
        printf("\n");
    }
    printf("  target: start-up until mapped at most 1.20 times scale 1; drawing four times the pixels takes longer\n");
}

// The medians of the start-up with 10,000 lines per list, for part 3.
struct startupmedians {
    double whole;
    double cpu;
};

startupmedians benchstartup(const char* self, const std::string& root, int rounds) {
    std::string empty = makehome(root, "empty", 0);
    std::string full = makehome(root, "full", STARTUPLINES);
    std::vector<double> times[2][3];
    runstartup(self, empty);  // warms the file cache and the server's fonts
    runstartup(self, full);
    for (int round = 0; round < rounds; round++) {
        for (int kind = 0; kind < 2; kind++) {
            // The two kinds alternate, and which goes first alternates too.
            int which = (round + kind) % 2;
            startuptime run = runstartup(self, which == 0 ? empty : full);
            times[which][0].push_back(run.whole);
            times[which][1].push_back(run.inside);
            times[which][2].push_back(run.cpu);
        }
    }
    const char* rows[] = {"wall time, process start to drawn", "wall time, first line of main to drawn",
                          "CPU time of the process"};
    printf("Start-up until the window is drawn (medians of %d runs of each, alternating)\n", rounds);
    printf("  %-40s %12s %22s %8s\n", "", "empty lists", "10,000 lines per list", "ratio");
    for (int row = 0; row < 3; row++) {
        double emptytime = median(times[0][row]);
        double fulltime = median(times[1][row]);
        printf("  %-40s %9.1f ms %19.1f ms %8.2f  %s\n", rows[row], emptytime * 1e3, fulltime * 1e3,
               fulltime / emptytime, fulltime / emptytime <= 1.5 ? "met" : "MISSED");
    }
    printf("  target: ratio at most 1.50\n\n");
    return {median(times[1][0]), median(times[1][2])};
}

// Runs ruvelloconfig with arguments in home, its messages dropped; gives the
// wall seconds from its start to its end and its CPU seconds.
void runcommand(const std::string& program, const std::vector<std::string>& arguments, const std::string& home,
                double* wall, double* cpu) {
    double started = now();
    pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
        setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
        if (freopen("/dev/null", "w", stderr) == NULL) _exit(127);
        std::vector<char*> argv = {(char*)program.c_str()};
        for (const std::string& argument : arguments) argv.push_back((char*)argument.c_str());
        argv.push_back(NULL);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "ruvelloconfig %s failed (status %d)\n", arguments[0].c_str(), status);
        exit(2);
    }
    *wall = now() - started;
    *cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

void benchexchange(const char* self, const std::string& root, const startupmedians& startup, int rounds) {
    std::string program = self;
    program = program.substr(0, program.rfind('/') + 1) + "ruvelloconfig";
    std::string home = root + "/full";
    std::string exported = root + "/export.txt";
    std::vector<double> times[2][2];
    for (int round = 0; round < rounds; round++) {
        double wall, cpu;
        runcommand(program, {"--export", exported}, home, &wall, &cpu);
        times[0][0].push_back(wall);
        times[0][1].push_back(cpu);
        // The export brought back whole: every file is replaced, a copy made first.
        runcommand(program, {"--import", exported}, home, &wall, &cpu);
        times[1][0].push_back(wall);
        times[1][1].push_back(cpu);
    }
    printf("\nExport and import of 10,000 alarms of each kind, each a process of its own (medians of %d runs)\n",
           rounds);
    printf("  %-40s %12s %12s %14s\n", "", "wall", "CPU", "vs start-up");
    printf("  %-40s %9.1f ms %9.1f ms\n", "panel start-up with the same lists", startup.whole * 1e3, startup.cpu * 1e3);
    const char* rows[] = {"ruvelloconfig --export FILE", "ruvelloconfig --import FILE (replace)"};
    for (int row = 0; row < 2; row++) {
        double wall = median(times[row][0]);
        printf("  %-40s %9.1f ms %9.1f ms %14.2f\n", rows[row], wall * 1e3, median(times[row][1]) * 1e3,
               wall / startup.whole);
    }
}

void benchsorting(const std::string& root) {
    std::string home = root + "/sorting";
    std::string command = "mkdir -p '" + home + "/run'";
    if (system(command.c_str()) != 0) exit(2);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
    char name[] = "ruvelloconfig";
    char* argv[] = {name, NULL};
    chooselook(1, 1);
    Fl_Double_Window* window = buildwindow(1, 1);
    window->show(1, argv);
    window->wait_for_expose();
    char path[PATHBUFSIZE];
    const char* steps[] = {"load from the file", "sort ascending (shuffled list)", "sort descending (sorted list)",
                           "Sort button (ascending sort, save)"};
    printf("Sorting a list against loading it (annual list, window shown, %d runs of each)\n", SORTROUNDS);
    printf("  %7s  %-36s %12s %12s %12s %14s\n", "lines", "step", "median wall", "best wall", "median CPU",
           "vs load (CPU)");
    for (int count : {10000, 100000}) {
        // Wall and CPU times of the four steps.
        std::vector<double> times[4][2];
        for (int round = 0; round < SORTROUNDS; round++) {
            // Fresh files each round: the annual list shuffled, the other two empty.
            if (getannualalertfilename(path) != 0) exit(2);
            writelist(path, "data file for annual alarms", makelines(count, "annual", 10 + round));
            if (getsinglealertfilename(path) != 0) exit(2);
            writelist(path, "data file for simple alarms", {});
            if (getmonthlyalertfilename(path) != 0) exit(2);
            writelist(path, "data file for monthly alarms", {});
            if (getweeklyalertfilename(path) != 0) exit(2);
            writelist(path, "data file for weekly alarms", {});
            annual_browser->clear();
            Fl::flush();
            for (int step = 0; step < 4; step++) {
                double wall = now();
                double cpu = cputime(CLOCK_THREAD_CPUTIME_ID);
                if (step == 0) {
                    loadalertlists();
                    annual_browser->value(count / 2);
                } else if (step == 1) {
                    sort_datebrowser(annual_browser, true);
                } else if (step == 2) {
                    sort_datebrowser(annual_browser, false);
                } else {
                    cb_sort_asc_annual(NULL, NULL);
                }
                Fl::flush();
                times[step][0].push_back(now() - wall);
                times[step][1].push_back(cputime(CLOCK_THREAD_CPUTIME_ID) - cpu);
            }
        }
        double loadcpu = median(times[0][1]);
        for (int step = 0; step < 4; step++) {
            double best = *std::min_element(times[step][0].begin(), times[step][0].end());
            printf("  %7d  %-36s %9.1f ms %9.1f ms %9.1f ms", count, steps[step], median(times[step][0]) * 1e3,
                   best * 1e3, median(times[step][1]) * 1e3);
            if (step == 0) printf("\n");
            else printf(" %14.2f\n", median(times[step][1]) / loadcpu);
        }
    }
    printf("  target: sorting takes no longer than loading (sort ascending, vs load at most 1.00)\n");
}

}  // namespace

int main(int argc, char** argv) {
    double started = now();
    if (argc > 1 && strcmp(argv[1], "--startup") == 0) startupchild(started);
    if (getenv("DISPLAY") == NULL || getenv("DISPLAY")[0] == '\0') {
        fprintf(stderr, "configbench needs an X server: set DISPLAY\n");
        return 2;
    }
    int rounds = argc > 1 ? atoi(argv[1]) : DEFAULTROUNDS;
    if (rounds < 1) rounds = DEFAULTROUNDS;
    char pattern[] = "/tmp/ruvello-configbench-XXXXXX";
    if (mkdtemp(pattern) == NULL) return 2;
    std::string root = pattern;
    char self[PATHBUFSIZE];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 2;
    self[length] = '\0';
    if (argc > 2 && strcmp(argv[2], "--scale") == 0) {
        // The scale alone, for a run that wants only that.
        makehome(root, "empty", 0);
        benchscale(self, root, rounds);
    } else {
        startupmedians startup = benchstartup(self, root, rounds);
        benchsorting(root);
        benchexchange(self, root, startup, rounds);
        benchscale(self, root, rounds);
    }
    std::string command = "rm -rf '" + root + "'";
    return system(command.c_str()) == 0 ? 0 : 1;
}
