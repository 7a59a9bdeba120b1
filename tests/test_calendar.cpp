#include "calendar.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

// Every day from 1900-01-01 to 2100-12-31 against the C library's own calendar
// arithmetic in UTC, which shares no code with addoneday.
TEST(Calendar, AddOneDayMatchesAnIndependentCalendarFor1900To2100) {
    struct tm start = {};
    start.tm_year = 0;
    start.tm_mon = 0;
    start.tm_mday = 1;
    time_t seconds = timegm(&start);
    int year = 1900, month = 1, day = 1;
    int days = 0;
    while (year < 2101) {
        addoneday(&year, &month, &day);
        seconds += 86400;
        struct tm expected;
        gmtime_r(&seconds, &expected);
        ASSERT_EQ(expected.tm_year + 1900, year) << "after day " << days;
        ASSERT_EQ(expected.tm_mon + 1, month) << "after day " << days;
        ASSERT_EQ(expected.tm_mday, day) << "after day " << days;
        days++;
    }
    EXPECT_EQ(73414, days);
}

TEST(Calendar, AddOneDayMovesADayBeyondItsMonthToTheFirstOfTheNext) {
    int year = 2026, month = 4, day = 31;
    addoneday(&year, &month, &day);
    EXPECT_EQ(2026, year);
    EXPECT_EQ(5, month);
    EXPECT_EQ(1, day);
    year = 2026, month = 2, day = 30;
    addoneday(&year, &month, &day);
    EXPECT_EQ(3, month);
    EXPECT_EQ(1, day);
}

TEST(Calendar, LeapYearsFollowTheGregorianRule) {
    EXPECT_TRUE(isleapyear(2000));
    EXPECT_TRUE(isleapyear(2024));
    EXPECT_FALSE(isleapyear(1900));
    EXPECT_FALSE(isleapyear(2023));
    EXPECT_FALSE(isleapyear(2100));
    EXPECT_EQ(29, daysinmonth(2028, 2));
    EXPECT_EQ(28, daysinmonth(2027, 2));
    EXPECT_EQ(30, daysinmonth(2026, 4));
    EXPECT_EQ(0, daysinmonth(2026, 13));
}

// The timestamp reads the real clock; the binary is run again under faketime
// by the script test below, which checks the exact minutes. Here: its shape.
TEST(Calendar, TimestampIsSixteenCharactersPaddedWithZerosTo128) {
    char text[STAMPBUFSIZE];
    memset(text, 'x', sizeof text);
    gettimestamp(text);
    EXPECT_EQ(16u, strlen(text));
    for (int i = STAMPLEN; i < STAMPBUFSIZE; i++) ASSERT_EQ('\0', text[i]) << "at " << i;
    int year, month, day, hour, minute;
    ASSERT_EQ(5, sscanf(text, "%4d-%2d-%2d %2d:%2d", &year, &month, &day, &hour, &minute));
    int ty, tm, td;
    getdate(&ty, &tm, &td);
    // Both calls fall into the same day except in the last instant before midnight.
    char again[STAMPBUFSIZE];
    gettimestamp(again);
    if (strncmp(text, again, 10) == 0) {
        EXPECT_EQ(year, ty);
        EXPECT_EQ(month, tm);
        EXPECT_EQ(day, td);
    }
}

// Run under faketime by the calendar_clock script test: RUVELLO_EXPECT_STAMP
// names the minute the fake clock was started in.
TEST(Calendar, TimestampAndDateFollowTheLocalClock) {
    const char* expected = getenv("RUVELLO_EXPECT_STAMP");
    if (expected == NULL) GTEST_SKIP() << "runs under faketime only";
    char text[STAMPBUFSIZE];
    gettimestamp(text);
    EXPECT_STREQ(expected, text);
    int year, month, day;
    getdate(&year, &month, &day);
    char date[32];
    snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    EXPECT_EQ(std::string(expected).substr(0, 10), date);
    char stamp[STAMPBUFSIZE];
    getdateandstamp(&year, &month, &day, stamp);
    EXPECT_STREQ(expected, stamp);
    snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    EXPECT_EQ(std::string(expected).substr(0, 10), date);
}

// Under a clock that runs a day in well under a second the date turns many
// times during this loop: the date and the stamp must always name the same
// day, which two readings of the clock would miss now and then.
TEST(Calendar, DateAndStampComeFromOneReadingOfTheClock) {
    if (getenv("RUVELLO_FAST_CLOCK") == NULL) GTEST_SKIP() << "runs under a fast fake clock only";
    int turns = 0;
    int lastday = -1;
    for (long i = 0; i < 20000000 && turns < 6; i++) {
        int year, month, day;
        char stamp[STAMPBUFSIZE];
        getdateandstamp(&year, &month, &day, stamp);
        char date[32];
        snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        ASSERT_EQ(std::string(stamp).substr(0, 10), date) << "after " << turns << " turns of the date";
        if (lastday != -1 && day != lastday) turns++;
        lastday = day;
    }
    EXPECT_EQ(turns, 6) << "the fake clock did not run fast enough to test anything";
}
