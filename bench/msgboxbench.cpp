// Measures the reminder's message box, side by side in one run:
//
// 1. Start-up until its window is mapped: ruvellomsgbox with an annual line
//    against a bare toolkit window (this program started with --bare, which
//    shows an empty window of the same size and nothing else), and the box
//    with its sound on against the box with no sound. All are fresh
//    processes started the same way, timed from the start of the process
//    until the X server reports the window mapped, then ended; the kinds
//    take turns. The sound goes to ALSA's file plugin, a device that needs
//    no card, and every box with sound finds no other box's sound just
//    before its own, so it plays. Run it on an X server without a window
//    manager, which would map a frame instead.
// 2. A snooze into a simple list of 10,000 lines (reading the list under the
//    data files' lock, adding the line and writing it back) against the
//    panel's own save of those 10,000 lines (the writer the panel's save
//    calls, from lines already in memory). The list is put back to its
//    10,000 lines before each snooze, untimed.
// 3. Start-up until mapped of ruvellomsgbox at scale 2 (GDK_SCALE=2)
//    against scale 1 (GDK_SCALE unset), timed as in part 1, alternating; the
//    width of each mapped window shows the scale it was built at. The X
//    server must not set Xft.dpi, which would decide both. Target: at most
//    1.2 times scale 1.
//
// Each figure is the median of the rounds (21 unless a number is given).
// Everything happens in a temporary HOME, removed at the end.
//
// Usage: msgboxbench [rounds]   (DISPLAY must be set)
#include "alarmlines.h"
#include "configfile.h"
#include "datafiles.h"
#include "fileformats.h"
#include "snooze.h"

#include "benchsupport.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <X11/Xlib.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/select.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const int DEFAULTROUNDS = 21;
const int LISTLINES = 10000;
const double MAPWAITSECONDS = 20;
const int WINDOWWIDTH = 500;
const int WINDOWHEIGHT = 272;
const char BOXLINE[] = "12-24 - Buy the tree";

int barewindow() {
    Fl_Window* window = new Fl_Window(WINDOWWIDTH, WINDOWHEIGHT, "Bare");
    window->end();
    window->show();
    return Fl::run();
}

// Seconds from starting program with its arguments until a top-level window
// is mapped on display; the process is then ended. Exits on failure.
// gdkscale: GDK_SCALE for the program, NULL for none; width, when not NULL,
// receives the mapped window's width.
double timemapping(Display* display, const char* program, const char* argument, const char* gdkscale = NULL,
                   int* width = NULL) {
    XSync(display, True);
    double started = now();
    pid_t child = fork();
    if (child == 0) {
        if (gdkscale != NULL) setenv("GDK_SCALE", gdkscale, 1);
        else unsetenv("GDK_SCALE");
        execl(program, program, argument, (char*)NULL);
        _exit(127);
    }
    double mapped = -1;
    while (mapped < 0 && now() - started < MAPWAITSECONDS) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && mapped < 0) {
                mapped = now() - started;
                XWindowAttributes attributes;
                if (width != NULL && XGetWindowAttributes(display, event.xmap.window, &attributes)) {
                    *width = attributes.width;
                }
            }
        }
        if (mapped >= 0) break;
        int fd = ConnectionNumber(display);
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(fd, &ready);
        struct timeval wait = {0, 100000};
        select(fd + 1, &ready, NULL, NULL, &wait);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    if (mapped < 0) {
        fprintf(stderr, "%s mapped no window within %.0f s\n", program, MAPWAITSECONDS);
        exit(2);
    }
    return mapped;
}

// The box's sound for the next start: on (and not gathered with the last
// box's, whose record is removed) or off.
void choosesound(int sound) {
    char path[PATHBUFSIZE];
    if (getconfigfilename(path) != 0 || writeconfigfile(path, DEFAULTANNUALADVANCE, DEFAULTMONTHLYADVANCE, sound) != 0) {
        fprintf(stderr, "the configuration file cannot be written: %s\n", path);
        exit(2);
    }
    std::string record = std::string(getenv("XDG_RUNTIME_DIR")) + "/ruvello-sound";
    unlink(record.c_str());
}

std::vector<std::string> makelines() {
    std::vector<std::string> lines;
    for (int i = 0; i < LISTLINES; i++) {
        char line[LINEBUFSIZE];
        snprintf(line, sizeof line, "2027-%02d-%02d %02d:%02d - reminder number %d of a long list", i % 12 + 1,
                 i % 28 + 1, i % 24, i % 60, i);
        lines.push_back(line);
    }
    return lines;
}

const char* vectorline(int index, void* lines) { return (*(std::vector<std::string>*)lines)[index].c_str(); }

int savelist(const char* path, std::vector<std::string>* lines) {
    return writealertlistfile(path, DATAFILETABLE[DATASINGLE].description, vectorline, (int)lines->size(), lines);
}

void startup(const char* self, int rounds) {
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "no X display: set DISPLAY (an X server without a window manager)\n");
        exit(2);
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    std::string folder = self;
    folder.resize(folder.rfind('/') + 1);
    std::string box = folder + "ruvellomsgbox";
    std::vector<double> boxes;
    std::vector<double> bares;
    std::vector<double> silent;
    for (int round = 0; round < rounds; round++) {
        choosesound(DEFAULTSOUND);
        boxes.push_back(timemapping(display, box.c_str(), BOXLINE));
        bares.push_back(timemapping(display, self, "--bare"));
        choosesound(SOUNDNONE);
        silent.push_back(timemapping(display, box.c_str(), BOXLINE));
    }
    double boxtime = median(boxes);
    double baretime = median(bares);
    double silenttime = median(silent);
    printf("start-up until mapped (median of %d): ruvellomsgbox %.1f ms, bare window %.1f ms, ratio %.2f\n", rounds,
           boxtime * 1000, baretime * 1000, boxtime / baretime);
    printf("start-up until mapped (median of %d): sound on %.1f ms, no sound %.1f ms, ratio %.2f\n", rounds,
           boxtime * 1000, silenttime * 1000, boxtime / silenttime);
    std::vector<double> scaled[2];
    const char* settings[2] = {NULL, "2"};
    for (int round = 0; round < rounds; round++) {
        for (int kind = 0; kind < 2; kind++) {
            int which = (round + kind) % 2;
            int width = 0;
            scaled[which].push_back(timemapping(display, box.c_str(), BOXLINE, settings[which], &width));
            if (width != WINDOWWIDTH * (which + 1)) {
                fprintf(stderr, "the box was %d pixels wide: run on an X server that sets no Xft.dpi\n", width);
                exit(2);
            }
        }
    }
    XCloseDisplay(display);
    double one = median(scaled[0]);
    double two = median(scaled[1]);
    printf("start-up until mapped (median of %d): ruvellomsgbox at scale 1 %.1f ms, at scale 2 %.1f ms, ratio %.2f "
           "(target at most 1.20: %s)\n",
           rounds, one * 1000, two * 1000, two / one, two / one <= 1.2 ? "met" : "MISSED");
}

void snoozes(int rounds) {
    char path[PATHBUFSIZE];
    if (getsinglealertfilename(path) != 0) {
        fprintf(stderr, "no data folder: %s\n", path);
        exit(2);
    }
    std::vector<std::string> lines = makelines();
    std::vector<double> snoozed;
    std::vector<double> saved;
    for (int round = 0; round < rounds; round++) {
        if (savelist(path, &lines) != 0) exit(2);
        double started = now();
        char written[PATHBUFSIZE];
        if (snoozereminder(BOXLINE, DEFAULTSNOOZE, (long long)time(NULL), written) != LISTCHANGED) {
            fprintf(stderr, "a snooze failed: %s\n", written);
            exit(2);
        }
        snoozed.push_back(now() - started);
        started = now();
        if (savelist(path, &lines) != 0) exit(2);
        saved.push_back(now() - started);
    }
    double snoozetime = median(snoozed);
    double savetime = median(saved);
    printf("%d lines (median of %d): snooze %.2f ms, the panel's save %.2f ms, ratio %.2f\n", LISTLINES, rounds,
           snoozetime * 1000, savetime * 1000, snoozetime / savetime);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--bare") == 0) return barewindow();
    int rounds = argc > 1 ? atoi(argv[1]) : DEFAULTROUNDS;
    if (rounds < 1) {
        fputs("usage: msgboxbench [rounds]\n", stderr);
        return 2;
    }
    char pattern[] = "/tmp/ruvello-msgboxbench-XXXXXX";
    if (mkdtemp(pattern) == NULL) return 2;
    std::string home = pattern;
    std::string run = home + "/run";
    if (mkdir(run.c_str(), 0700) != 0) return 2;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    unsetenv("RUVELLO_DUE");
    // The sound's device: ALSA's file plugin on the null device, no server.
    std::string asoundrc = home + "/.asoundrc";
    FILE* device = fopen(asoundrc.c_str(), "w");
    if (device == NULL) return 2;
    fprintf(device, "pcm.!default { type file; slave.pcm \"null\"; file \"%s/sound.raw\"; format \"raw\" }\n",
            home.c_str());
    if (fclose(device) != 0) return 2;
    std::string pulse = home + "/.config/pulse";
    std::string mkpulse = "mkdir -p '" + pulse + "' && echo 'autospawn = no' > '" + pulse + "/client.conf'";
    if (system(mkpulse.c_str()) != 0) return 2;
    char self[PATHBUFSIZE];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 2;
    self[length] = '\0';
    startup(self, rounds);
    snoozes(rounds);
    std::string remove = "rm -rf '" + home + "'";
    return system(remove.c_str()) == 0 ? 0 : 1;
}
