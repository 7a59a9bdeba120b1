// Entry point of every test binary. Before any test runs, HOME,
// XDG_RUNTIME_DIR and XDG_STATE_HOME point at a temporary root of this run, so
// no test can reach the real data, runtime or state folder, even one that
// forgets to make a scratchhome of its own.
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    char pattern[] = "/tmp/ruvello-tests-XXXXXX";
    if (mkdtemp(pattern) == NULL) {
        perror("mkdtemp");
        return 2;
    }
    std::string root = pattern;
    setenv("RUVELLO_TEST_ROOT", root.c_str(), 1);
    std::string home = root + "/home";
    std::string run = root + "/run";
    mkdir(home.c_str(), 0700);
    mkdir(run.c_str(), 0700);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    removetree(root);
    return result;
}
