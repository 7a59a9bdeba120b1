// What the benchmark programs share: a monotonic clock in seconds and the
// median of a set of timings, the figure each of them reports.
#ifndef RUVELLO_BENCHSUPPORT_H
#define RUVELLO_BENCHSUPPORT_H

#include <algorithm>
#include <chrono>
#include <vector>

// Seconds on a clock that never steps, from an arbitrary start.
inline double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The middle value of values (the upper one of an even count).
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

#endif
