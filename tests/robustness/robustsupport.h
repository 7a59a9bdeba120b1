// Helpers of the robustness tests: running a program of the build with extra
// environment settings and a time limit, finding the fault-injection library
// and preloading it in front of a sanitizer, and reading the counts that a
// long run takes from the environment, and the data files as a user may have
// left them by hand, whose bytes a failed save or import must keep. Folders
// are listed with folderentries (testsupport.h).
#ifndef RUVELLO_ROBUSTSUPPORT_H
#define RUVELLO_ROBUSTSUPPORT_H

#include <string>
#include <vector>

struct runresult {
    bool finished;     // false: still running at the time limit, then killed
    bool signalled;    // ended by a signal (a crash)
    int status;        // exit status when it ended normally, else the signal
    std::string out;   // standard output
    std::string err;   // standard error
};

// Runs argv[0] with argv, the current environment plus settings ("NAME=value"),
// standard input from /dev/null, and kills it after seconds.
runresult runprogram(const std::vector<std::string>& argv, const std::vector<std::string>& settings,
                     double seconds);
std::string faultshim();                   // path of the fault-injection library
std::string withasanpreload();             // ASAN_OPTIONS setting that lets a preloaded library come first
long envcount(const char* name, long fallback);  // a count from the environment, fallback when unset

const int DATAFILECOUNT = 5;
extern const char* const DATAFILENAMES[DATAFILECOUNT];   // the five data files, the configuration first
extern const std::string HANDMADEFILES[DATAFILECOUNT];   // their contents as left by hand, in the same order
bool puthandmadefiles(const std::string& datafolder);   // creates the folder and writes them; true when done

#endif
