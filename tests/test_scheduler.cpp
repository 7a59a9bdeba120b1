#include "calendar.h"
#include "datafiles.h"
#include "notification.h"
#include "scheduler.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

// An address-space limit and the address sanitizer's shadow memory do not mix.
#if defined(__SANITIZE_ADDRESS__)
#define RUVELLO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RUVELLO_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

std::vector<std::string> announced;

bool recordinglauncher(const char* line) {
    announced.push_back(line);
    return true;
}

bool failinglauncher(const char*) { return false; }

bool quietlauncher(const char*) { return true; }

// A fresh data folder with the four files, and the scheduler as at start-up.
class Scheduler : public testing::Test {
protected:
    scratchhome home;
    schedulerstate state;
    void SetUp() override {
        createdatafiles();
        initschedulerstate(&state);
        announced.clear();
    }
    void TearDown() override { clearschedulerstate(&state); }
    // The service stopped and started again.
    void restart() { clearschedulerstate(&state); }
    std::string path(const char* name) { return home.datafolder() + name; }
    void write(const char* name, const std::string& bytes) { ASSERT_TRUE(writewholefile(path(name), bytes)); }
    void config(int annual, int monthly) {
        write("config.dat", "# annual alarms advance\n" + std::to_string(annual) + "\n\n# monthly alarms advance\n" +
                                std::to_string(monthly) + "\n");
    }
    // One cycle at the stamp, its date taken from the stamp; what it announced.
    std::vector<std::string> cycle(const std::string& stamp) {
        announced.clear();
        runcycle(&state, atoi(stamp.substr(0, 4).c_str()), atoi(stamp.substr(5, 2).c_str()), atoi(stamp.substr(8, 2).c_str()),
                 stamp.c_str(), recordinglauncher);
        return announced;
    }
    // Runs cycles at 00:00 and 12:00 of every day from first on for days days;
    // gives the dates (YYYY-MM-DD) of the announcements, one per announcement.
    std::vector<std::string> rundays(int year, int month, int day, int days) {
        std::vector<std::string> dates;
        for (int i = 0; i < days; i++) {
            char date[16];
            snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
            for (const char* time : {" 00:00", " 12:00"}) {
                for (size_t n = cycle(std::string(date) + time).size(); n > 0; n--) dates.push_back(date);
            }
            addoneday(&year, &month, &day);
        }
        return dates;
    }
};

std::vector<std::string> datesfrom(int year, int month, int firstday, int lastday) {
    std::vector<std::string> dates;
    for (int day = firstday; day <= lastday; day++) {
        char date[16];
        snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        dates.push_back(date);
    }
    return dates;
}

std::vector<std::string> none;

}  // namespace

TEST_F(Scheduler, SimpleAlarmIsAnnouncedInItsOwnMinuteOnce) {
    write("single_alerts.dat", "# alert list\n2026-03-07 09:05 - dentist\n2026-03-07 09:0\n");
    EXPECT_EQ(none, cycle("2026-03-07 09:04"));
    EXPECT_EQ(std::vector<std::string>{"2026-03-07 09:05 - dentist"}, cycle("2026-03-07 09:05"));
    EXPECT_EQ(none, cycle("2026-03-07 09:06"));
    EXPECT_EQ(none, cycle("2026-03-08 09:05"));
}

TEST_F(Scheduler, FirstCycleDoesNotCatchUpOnMinutesBeforeTheStart) {
    write("single_alerts.dat", "2026-03-07 09:04 - missed\n2026-03-07 09:05 - now\n2026-03-07 09:05 - now\n");
    // A line standing twice is announced twice.
    EXPECT_EQ((std::vector<std::string>{"2026-03-07 09:05 - now", "2026-03-07 09:05 - now"}), cycle("2026-03-07 09:05"));
}

TEST_F(Scheduler, AnnualAlarmIsAnnouncedOnceADayInItsSevenDayWindow) {
    config(7, 3);
    write("annual_alerts.dat", "05-17 - birthday\n");
    EXPECT_EQ(datesfrom(2026, 5, 10, 17), rundays(2026, 5, 1, 20));
}

TEST_F(Scheduler, AnnualWindowCrossesTheYearEnd) {
    config(7, 3);
    write("annual_alerts.dat", "01-03 - party\n01-05 - too far\n");
    EXPECT_EQ(std::vector<std::string>{"01-03 - party"}, cycle("2026-12-28 10:00"));
}

TEST_F(Scheduler, LeapDayIsAnnouncedOnlyInLeapYears) {
    config(7, 3);
    write("annual_alerts.dat", "02-29 - leap day\n");
    EXPECT_EQ(datesfrom(2024, 2, 22, 29), rundays(2024, 2, 15, 20));
    restart();
    EXPECT_EQ(none, rundays(2026, 2, 15, 20));
}

TEST_F(Scheduler, MonthlyDayThirtySkipsFebruaryAndDayThirtyOneSkipsApril) {
    config(7, 3);
    write("monthly_alerts.dat", "30 - rent\n");
    std::vector<std::string> expected = datesfrom(2026, 1, 27, 30);
    std::vector<std::string> march = datesfrom(2026, 3, 27, 30);
    expected.insert(expected.end(), march.begin(), march.end());
    EXPECT_EQ(expected, rundays(2026, 1, 20, 70));
    restart();
    config(7, 10);
    write("monthly_alerts.dat", "31 - end of month\n");
    EXPECT_EQ(none, rundays(2026, 4, 1, 30));
}

TEST_F(Scheduler, FieldsAreReadByColumnsAndImpossibleDatesNeverMatch) {
    config(7, 3);
    // "5 - x" reads as day 5, "5-17 - x" as month 5 and day 7; 00, 32 and 13-05 name no date.
    write("monthly_alerts.dat", "5 - short day\n00 - none\n32 - none\n6\n");
    write("annual_alerts.dat", "5-17 - short month\n13-05 - none\n05\n");
    EXPECT_EQ((std::vector<std::string>{"5 - short day", "6", "5-17 - short month"}), cycle("2026-05-04 10:00"));
}

TEST_F(Scheduler, DueLineWithQuotesIsAnnouncedOnceADayAsReadAndAChangedLineAgain) {
    config(7, 3);
    write("monthly_alerts.dat", "05 - say \"hi\"\n05 - say \"hi\"\n");
    EXPECT_EQ(std::vector<std::string>{"05 - say \"hi\""}, cycle("2026-05-05 10:00"));
    EXPECT_EQ(none, cycle("2026-05-05 10:01"));
    write("monthly_alerts.dat", "05 - say \"hello\"\n");
    EXPECT_EQ(std::vector<std::string>{"05 - say \"hello\""}, cycle("2026-05-05 10:02"));
    EXPECT_EQ(none, cycle("2026-05-05 10:03"));
}

TEST_F(Scheduler, RestartAnnouncesTheDaysAlarmsAgain) {
    config(7, 3);
    write("monthly_alerts.dat", "06 - rent\n");
    EXPECT_EQ(1u, cycle("2026-05-05 10:00").size());
    restart();
    EXPECT_EQ(1u, cycle("2026-05-05 10:01").size());
}

// The configuration: the first data line is the annual advance, the second the monthly one.
TEST(SchedulerConfig, AdvanceValuesFollowTheirLimitsAndTheMessageMarksTheFaultyOnes) {
    struct { const char* text; int annual; int monthly; bool message; } cases[] = {
        {"45\n0\n", 30, 0, true},           // a monthly 0 means the day itself
        {"0\n5\n", 1, 5, true},
        {"7\n11\n", 7, 1, false},
        {"12\n", 12, 3, true},
        {"", 7, 3, true},
        {"# comment\n10 days\n\n#x\n 4\n2 weeks\n", 10, 2, false},
        {"99999999999999999999999\n99999999999999999999\n", 30, 1, true},  // never overflows
        {"30\n10\n5\n", 30, 10, false},
    };
    scratchhome home;
    for (const auto& c : cases) {
        std::string path = home.home() + "/config.dat";
        ASSERT_TRUE(writewholefile(path, c.text));
        FILE* file = fopen(path.c_str(), "r");
        ASSERT_NE(nullptr, file);
        servicesettings settings = {-5, -5};
        testing::internal::CaptureStderr();
        readconfigfile(&settings, file);
        std::string message = testing::internal::GetCapturedStderr();
        fclose(file);
        EXPECT_EQ(c.annual, settings.annual_advance) << c.text;
        EXPECT_EQ(c.monthly, settings.monthly_advance) << c.text;
        EXPECT_EQ(c.message ? std::string(CONFIGMESSAGE) : std::string(), message) << c.text;
    }
    EXPECT_STREQ("Configuration file syntax error: using default values.", CONFIGMESSAGE);
}

TEST_F(Scheduler, MonthlyAdvanceZeroAnnouncesOnTheDayOnly) {
    config(7, 0);
    write("monthly_alerts.dat", "17 - x\n");
    EXPECT_EQ(datesfrom(2026, 5, 17, 17), rundays(2026, 5, 10, 10));
}

TEST_F(Scheduler, ManyAnnouncementsInOneDayNeverStopTheService) {
    config(7, 3);
    std::string lines;
    for (int i = 0; i < 3000; i++) lines += "05 - reminder " + std::to_string(i) + "\n";
    write("monthly_alerts.dat", lines);
    EXPECT_EQ(3000u, cycle("2026-05-05 10:00").size());
    EXPECT_EQ(3000, state.notifiedcount);
    EXPECT_TRUE(isnotified(&state, "05 - reminder 2999"));
    EXPECT_EQ(none, cycle("2026-05-05 10:01"));
    EXPECT_EQ(3000u, cycle("2026-06-04 00:00").size());
}

TEST_F(Scheduler, SameDayOfAnotherMonthIsANewDay) {
    config(7, 3);
    write("monthly_alerts.dat", "05 - rent\n");
    EXPECT_EQ(1u, cycle("2026-03-05 10:00").size());
    // Asleep for a month: the day of the month is the same, the date is not.
    EXPECT_EQ(1u, cycle("2026-04-05 10:00").size());
    EXPECT_EQ(1u, cycle("2027-04-05 10:00").size());
}

TEST_F(Scheduler, SmallStepBackAcrossMidnightAnnouncesNothingTwice) {
    config(7, 3);
    write("monthly_alerts.dat", "16 - yesterday\n17 - today\n");
    write("single_alerts.dat", "2026-05-16 23:30 - late evening\n");
    EXPECT_EQ((std::vector<std::string>{"2026-05-16 23:30 - late evening", "16 - yesterday", "17 - today"}),
              cycle("2026-05-16 23:30"));
    EXPECT_EQ(none, cycle("2026-05-16 23:59"));
    EXPECT_EQ(std::vector<std::string>{"17 - today"}, cycle("2026-05-17 00:00"));
    // Daylight saving ends at midnight: the clock shows 23:00 of the day before again.
    EXPECT_EQ(none, cycle("2026-05-16 23:00"));
    EXPECT_EQ(none, cycle("2026-05-16 23:30"));
    // A line added meanwhile is announced at once, for the later day.
    write("monthly_alerts.dat", "16 - yesterday\n17 - today\n18 - tomorrow\n");
    EXPECT_EQ(std::vector<std::string>{"18 - tomorrow"}, cycle("2026-05-16 23:31"));
    EXPECT_EQ(none, cycle("2026-05-17 00:00"));
    EXPECT_EQ(none, cycle("2026-05-17 00:01"));
}

TEST_F(Scheduler, MinutesPassedOverAreAnnouncedLateAndOnce) {
    write("single_alerts.dat",
          "2026-03-07 09:05 - a\n2026-03-07 09:06 - b\n2026-03-07 09:07 - c\n2026-03-07 09:08 - d\n"
          "2026-03-07 10:00 - e\n");
    EXPECT_EQ(std::vector<std::string>{"2026-03-07 09:05 - a"}, cycle("2026-03-07 09:05"));
    // A slow scan or a suspend: the next cycle comes three minutes on.
    EXPECT_EQ((std::vector<std::string>{"2026-03-07 09:06 - b", "2026-03-07 09:07 - c", "2026-03-07 09:08 - d"}),
              cycle("2026-03-07 09:08"));
    // Set back by an hour: those minutes were scanned, nothing is due again.
    EXPECT_EQ(none, cycle("2026-03-07 08:08"));
    EXPECT_EQ(none, cycle("2026-03-07 09:05"));
    EXPECT_EQ(none, cycle("2026-03-07 09:08"));
    EXPECT_EQ(std::vector<std::string>{"2026-03-07 10:00 - e"}, cycle("2026-03-07 10:00"));
}

TEST_F(Scheduler, ClockCorrectionsScanOnlyTheNewMinute) {
    write("single_alerts.dat", "2026-03-07 09:05 - a\n2026-03-07 12:00 - b\n2026-03-08 12:00 - c\n"
                               "2026-03-09 12:00 - d\n2026-03-09 12:01 - e\n");
    EXPECT_EQ(none, cycle("2026-03-07 04:00"));
    // More than a day forward: what lies between is not caught up.
    EXPECT_EQ(none, cycle("2026-03-08 04:01"));
    // Exactly a day forward is still time that passed.
    EXPECT_EQ(std::vector<std::string>{"2026-03-08 12:00 - c"}, cycle("2026-03-09 04:01"));
    // More than three hours back: a correction, scanning goes on from there.
    EXPECT_EQ(none, cycle("2026-03-08 12:01"));
    EXPECT_EQ(std::vector<std::string>{"2026-03-09 12:00 - d"}, cycle("2026-03-09 12:00"));
    EXPECT_EQ(std::vector<std::string>{"2026-03-09 12:01 - e"}, cycle("2026-03-09 12:01"));
}

TEST_F(Scheduler, MinutesOfTheDaylightSavingGapAreAnnouncedAtItsEnd) {
    // Berlin, 2024-03-31: 01:59 is followed by 03:00; 02:30 never shows on the clock.
    write("single_alerts.dat", "2024-03-31 02:30 - in the gap\n2024-03-31 03:00 - after\n"
                               "2024-03-31 02:60 - no minute\n2024-03-31 02:3x - no minute\n");
    EXPECT_EQ(none, cycle("2024-03-31 01:59"));
    EXPECT_EQ((std::vector<std::string>{"2024-03-31 02:30 - in the gap", "2024-03-31 03:00 - after"}),
              cycle("2024-03-31 03:00"));
    EXPECT_EQ(none, cycle("2024-03-31 03:01"));
}

#ifndef _WIN32
// The fatal paths end the process: they run as death tests without a display,
// so that no error box waits for a click.
TEST_F(Scheduler, ListFileMissingOrUnreadableEndsTheServiceNamingIt) {
    std::string monthly = path("monthly_alerts.dat");
    ASSERT_EQ(0, remove(monthly.c_str()));
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            cycle("2026-05-05 10:00");
        },
        testing::ExitedWithCode(1), "FATAL ERROR\nCannot create, read or write the following file\n   \"" + monthly + "\"$");
    // A folder in place of the file is never taken for an empty list.
    ASSERT_EQ(0, mkdir(monthly.c_str(), 0700));
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            cycle("2026-05-05 10:00");
        },
        testing::ExitedWithCode(1), "read or write the following file\n   \"" + monthly + "\"$");
    // A regular file whose reading fails (address 0 of the process's memory
    // gives an input error): the service stops, not going on with part of a list.
    ASSERT_EQ(0, rmdir(monthly.c_str()));
    ASSERT_EQ(0, symlink("/proc/self/mem", monthly.c_str()));
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            cycle("2026-05-05 10:00");
        },
        testing::ExitedWithCode(1), "read or write the following file\n   \"" + monthly + "\"$");
    std::string configfile = path("config.dat");
    ASSERT_EQ(0, remove(configfile.c_str()));
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            cycle("2026-05-05 10:00");
        },
        testing::ExitedWithCode(1), "\"" + configfile + "\"$");
}

TEST_F(Scheduler, FailedLaunchEndsTheServiceWithTheLaunchFailureMessage) {
    write("annual_alerts.dat", "05-05 - x\n");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            runcycle(&state, 2026, 5, 5, "2026-05-05 10:00", failinglauncher);
        },
        testing::ExitedWithCode(1), "Ruvello cannot run \"ruvellomsgbox\"\n\n  Fatal error: the application is quitting.$");
}

TEST_F(Scheduler, RealAllocationFailureEndsTheServiceWithTheOutOfMemoryMessage) {
#if defined(RUVELLO_ADDRESS_SANITIZER)
    GTEST_SKIP() << "an address-space limit and the address sanitizer do not mix";
#endif
    config(7, 3);
    std::string lines;
    std::string text(480, 'm');
    for (int i = 0; i < 40000; i++) lines += "05 - " + std::to_string(i) + text + "\n";
    write("monthly_alerts.dat", lines);
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            // Room for a few megabytes more than the process holds now.
            long pages = 0;
            long resident = 0;
            FILE* statm = fopen("/proc/self/statm", "r");
            if (statm == NULL || fscanf(statm, "%ld %ld", &pages, &resident) != 2) exit(3);
            fclose(statm);
            struct rlimit limit;
            limit.rlim_cur = limit.rlim_max = (rlim_t)pages * 4096 + 8 * 1024 * 1024;
            setrlimit(RLIMIT_AS, &limit);
            runcycle(&state, 2026, 5, 5, "2026-05-05 10:00", quietlauncher);
            exit(4);
        },
        testing::ExitedWithCode(1), "Ruvello - Out of memory error.\n\nPlease contact the author about this error:\n$");
}

#endif

TEST(SchedulerStart, CreatesTheFourFilesEmptyOrEndsNamingTheFirstThatCannotBe) {
    scratchhome home;
    testing::internal::CaptureStdout();
    createdatafiles();
    std::string notices = testing::internal::GetCapturedStdout();
    for (const char* name : {"config.dat", "single_alerts.dat", "monthly_alerts.dat", "annual_alerts.dat"}) {
        EXPECT_TRUE(fileexists(home.datafolder() + name)) << name;
        EXPECT_NE(std::string::npos, notices.find(home.datafolder() + name)) << name;
    }
#ifndef _WIN32
    // A folder where the simple list should be: it can be neither created nor read.
    ASSERT_EQ(0, remove((home.datafolder() + "single_alerts.dat").c_str()));
    ASSERT_EQ(0, mkdir((home.datafolder() + "single_alerts.dat").c_str(), 0700));
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            createdatafiles();
        },
        testing::ExitedWithCode(1), "\"" + home.datafolder() + "single_alerts.dat\"$");
#endif
}
