// Times the reminder service's cycle over the lists in the data folder, the
// same program on Linux and on Windows (under Wine), so that both can be timed
// on the same files: the first cycle of a day, which announces every due line
// to a launcher that only counts, and a later cycle of that day, which finds
// them all in the day's memory. Prints the median of the runs of each.
// Usage: bench_cycle [RUNS]   (lists made with "bench_service generate")
#include "scheduler.h"

#include "benchsupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const int DEFAULTRUNS = 5;
long launched = 0;

bool countinglauncher(const char*, const char*) {
    launched++;
    return true;
}

double milliseconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? atoi(argv[1]) : DEFAULTRUNS;
    if (runs < 1) runs = DEFAULTRUNS;
    static schedulerstate state;
    std::vector<double> first;
    std::vector<double> later;
    for (int run = 0; run < runs; run++) {
        initschedulerstate(&state);
        launched = 0;
        auto start = std::chrono::steady_clock::now();
        runcycle(&state, 2026, 5, 17, "2026-05-17 09:00", 1779008400, countinglauncher);
        auto middle = std::chrono::steady_clock::now();
        runcycle(&state, 2026, 5, 17, "2026-05-17 09:01", 1779008460, countinglauncher);
        auto end = std::chrono::steady_clock::now();
        clearschedulerstate(&state);
        first.push_back(milliseconds(start, middle));
        later.push_back(milliseconds(middle, end));
    }
    printf("first cycle %.1f ms, later cycle %.1f ms (median of %d), %ld lines announced\n", median(first),
           median(later), runs, launched);
    return 0;
}
