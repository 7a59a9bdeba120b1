#include "instancelock.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Takes the lock in a child process and reports what it got.
int lockinchild(const char* name) {
    pid_t child = fork();
    if (child == 0) _exit(takeinstancelock(name));
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(InstanceLock, ASecondCopyFindsTheLockHeldUntilTheFirstEnds) {
    scratchhome home;
    EXPECT_EQ(LOCKTAKEN, lockinchild("ruvellotest"));  // the child ended: its lock is gone
    EXPECT_EQ(LOCKTAKEN, takeinstancelock("ruvellotest"));
    EXPECT_EQ(LOCKHELD, lockinchild("ruvellotest"));
    EXPECT_EQ(LOCKTAKEN, lockinchild("ruvelloother"));
}

TEST(InstanceLock, WithoutARuntimeFolderTheLockLiesInTheDataFolder) {
    scratchhome home;
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(LOCKTAKEN, lockinchild("ruvellotest"));
    EXPECT_TRUE(fileexists(home.datafolder() + "ruvellotest.lock"));
}
