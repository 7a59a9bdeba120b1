// The reminder windows' agreement on sound through the sound log: the cases
// the windows on screen cannot show, a log that would silence a reminder if
// it were trusted.
#include "soundturns.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

// A log written before the clock went back, or written as garbage, or one
// that cannot be kept at all, never keeps a reminder silent; a window that
// repeats sounds a minute after the last sound, whoever made it.
TEST(SoundTurns, NoLogSilencesAReminderThatIsDue) {
    scratchhome home;
    const long long now = 1800000000;
    long long sounded = 0;
    std::string log = home.runtime() + "/ruvello-sound";
    ASSERT_TRUE(writewholefile(log, std::to_string(now + 3600) + " " + std::to_string(now + 3600) + "\n"));
    EXPECT_TRUE(takesoundturn(true, now, &sounded)) << "a log ahead of the clock";
    EXPECT_EQ(now, sounded);
    EXPECT_FALSE(takesoundturn(true, now + SOUNDGATHERSECONDS - 1, &sounded)) << "a second window at once";
    EXPECT_EQ(now, sounded);
    EXPECT_FALSE(takesoundturn(false, now + SOUNDREPEATSECONDS - 1, &sounded));
    EXPECT_TRUE(takesoundturn(false, now + SOUNDREPEATSECONDS, &sounded));

    ASSERT_TRUE(writewholefile(log, "\x01garbage"));
    EXPECT_TRUE(takesoundturn(true, now + 2 * SOUNDREPEATSECONDS, &sounded)) << "a log that is no log";

    // The log's place taken by a folder: each window is on its own, and
    // repeats by what it heard itself.
    removetree(log);
    ASSERT_EQ(0, mkdir(log.c_str(), 0700));
    sounded = 0;
    EXPECT_TRUE(takesoundturn(true, now, &sounded));
    EXPECT_FALSE(takesoundturn(false, now + SOUNDREPEATSECONDS - 1, &sounded));
    EXPECT_TRUE(takesoundturn(false, now + SOUNDREPEATSECONDS, &sounded));
    EXPECT_LE(soundcheckdelay(now, now + 1), (double)SOUNDCHECKSECONDS);
    EXPECT_EQ(0.0, soundcheckdelay(now, now + SOUNDREPEATSECONDS + 1));
}
