#include "calendar.h"
#include "datafiles.h"
#include "notification.h"
#include "options.h"
#include "scheduler.h"
#include "statefile.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <algorithm>
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

std::vector<std::string> dues;

bool recordinglauncher(const char* line, const char* due) {
    announced.push_back(line);
    dues.push_back(due);
    return true;
}

#ifndef _WIN32
bool failinglauncher(const char*, const char*) { return false; }

bool quietlauncher(const char*, const char*) { return true; }
#endif

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
    // The service saved its state, stopped, and started again from the saved state.
    void restartfromsaved() {
        std::string saved = home.home() + "/service.state";
        ASSERT_EQ(0, savestatefile(&state, saved.c_str()));
        restart();
        ASSERT_EQ(STATELOADED, loadstatefile(&state, saved.c_str()));
    }
    std::string path(const char* name) { return home.datafolder() + name; }
    void write(const char* name, const std::string& bytes) { ASSERT_TRUE(writewholefile(path(name), bytes)); }
    void config(int annual, int monthly) {
        write("config.dat", "# annual alarms advance\n" + std::to_string(annual) + "\n\n# monthly alarms advance\n" +
                                std::to_string(monthly) + "\n");
    }
    // One cycle at the stamp, its date taken from the stamp, in UTC at the
    // stamp itself or at utc; what it announced.
    std::vector<std::string> cycle(const std::string& stamp, const std::string& utc = "") {
        announced.clear();
        dues.clear();
        long long seconds = stampminutes((utc.empty() ? stamp : utc).c_str()) * 60;
        saverequested = runcycle(&state, atoi(stamp.substr(0, 4).c_str()), atoi(stamp.substr(5, 2).c_str()),
                                 atoi(stamp.substr(8, 2).c_str()), stamp.c_str(), seconds, recordinglauncher);
        return announced;
    }
    bool saverequested = false;
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
    EXPECT_EQ(std::vector<std::string>{"2026-03-07 09:05"}, dues);
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
    // The message box is told the date it announces: in the next year.
    EXPECT_EQ(std::vector<std::string>{"2027-01-03 00:00"}, dues);
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
        advancevalues settings = {-5, -5, DEFAULTSOUND};
        testing::internal::CaptureStderr();
        readconfigfile(&settings, file);
        std::string message = testing::internal::GetCapturedStderr();
        fclose(file);
        EXPECT_EQ(c.annual, settings.annual) << c.text;
        EXPECT_EQ(c.monthly, settings.monthly) << c.text;
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
    EXPECT_EQ(3000, state.notified.count);
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

// The edges of the clock rules while running: a forward step of exactly the
// catch-up limit is time that passed, a minute more is a correction; a step
// back of exactly three hours repeats nothing, a minute more is a correction.
TEST_F(Scheduler, ForwardStepsUpToTheLimitAreCaughtUpInMinuteOrderAndLongerOnesAreCorrections) {
    // The file is not in time order: what is caught up comes in minute order.
    write("single_alerts.dat", "2026-03-05 12:00 - c\n2026-03-01 12:00 - a\n2026-03-08 04:00 - d\n2026-03-03 08:00 - b\n"
                               "2026-03-12 00:00 - skipped\n2026-03-15 04:01 - e\n2026-03-15 04:02 - f\n");
    EXPECT_EQ(none, cycle("2026-03-01 04:00"));
    EXPECT_EQ((std::vector<std::string>{"2026-03-01 12:00 - a", "2026-03-03 08:00 - b", "2026-03-05 12:00 - c",
                                        "2026-03-08 04:00 - d"}),
              cycle("2026-03-08 04:00"));
    EXPECT_EQ(std::vector<std::string>{"2026-03-15 04:01 - e"}, cycle("2026-03-15 04:01"));
    // Seven days and a minute after 04:01 of the 15th; "f" lies between and stays unannounced.
    EXPECT_EQ(none, cycle("2026-03-22 04:02"));
    write("single_alerts.dat", "2026-03-22 04:03 - next\n2026-03-22 04:05 - latest\n");
    EXPECT_EQ((std::vector<std::string>{"2026-03-22 04:03 - next", "2026-03-22 04:05 - latest"}), cycle("2026-03-22 04:05"));
    EXPECT_EQ(none, cycle("2026-03-22 01:05"));
    EXPECT_EQ(none, cycle("2026-03-22 04:05"));
    // Back three hours and a minute: a correction, after which those minutes come again.
    EXPECT_EQ(none, cycle("2026-03-22 01:04"));
    EXPECT_EQ((std::vector<std::string>{"2026-03-22 04:03 - next", "2026-03-22 04:05 - latest"}), cycle("2026-03-22 04:05"));

    // With catching up off, a running service takes five minutes as a slow scan, six as a correction.
    restart();
    state.catchupdays = 0;
    write("single_alerts.dat", "2026-03-22 10:03 - slow\n2026-03-22 10:08 - caught\n2026-03-22 10:12 - lost\n");
    EXPECT_EQ(none, cycle("2026-03-22 10:00"));
    EXPECT_EQ(std::vector<std::string>{"2026-03-22 10:03 - slow"}, cycle("2026-03-22 10:05"));
    EXPECT_EQ(std::vector<std::string>{"2026-03-22 10:08 - caught"}, cycle("2026-03-22 10:10"));
    EXPECT_EQ(none, cycle("2026-03-22 10:16"));
}

// A suspend over days: the monthly and annual lines whose date passed while
// asleep and that the last day did not see come once in the first cycle,
// with today's window and never twice; what the last day saw does not.
TEST_F(Scheduler, MonthlyAndAnnualDatesPassedOverAreAnnouncedOnceUnlessTheLastDaySawThem) {
    config(2, 1);
    write("monthly_alerts.dat", "11 - seen in advance\n12 - passed\n14 - passed and due\n31 - no such day in April\n");
    write("annual_alerts.dat", "04-10 - seen on its day\n04-13 - passed\n04-13 - passed\n04-16 - due\n");
    EXPECT_EQ((std::vector<std::string>{"11 - seen in advance", "04-10 - seen on its day"}), cycle("2026-04-10 22:00"));
    // Four days asleep; the monthly window of the 14th holds the 14th and 15th.
    EXPECT_EQ((std::vector<std::string>{"12 - passed", "14 - passed and due", "04-13 - passed", "04-16 - due"}),
              cycle("2026-04-14 08:00", "2026-04-14 06:00"));
    // A line caught up is told the date that passed, one in its window that date.
    EXPECT_EQ((std::vector<std::string>{"2026-04-12 00:00", "2026-04-14 00:00", "2026-04-13 00:00", "2026-04-16 00:00"}),
              dues);
    EXPECT_TRUE(saverequested);
    EXPECT_EQ(none, cycle("2026-04-14 08:01", "2026-04-14 06:01"));
    EXPECT_FALSE(saverequested);
}

// The end of daylight saving in Berlin: the hour 02:00 to 02:59 is shown
// twice. What was announced in it is not announced again, counted copy by
// copy; a line added for a minute the clock shows again comes when it comes.
TEST_F(Scheduler, TheRepeatedHourAnnouncesOnlyCopiesBeyondThoseAnnounced) {
    write("single_alerts.dat", "2024-10-27 02:30 - twice\n2024-10-27 02:30 - twice\n2024-10-27 02:40 - once\n");
    EXPECT_EQ((std::vector<std::string>{"2024-10-27 02:30 - twice", "2024-10-27 02:30 - twice"}),
              cycle("2024-10-27 02:30", "2024-10-27 00:30"));
    EXPECT_EQ(std::vector<std::string>{"2024-10-27 02:40 - once"}, cycle("2024-10-27 02:59", "2024-10-27 00:59"));
    EXPECT_EQ(none, cycle("2024-10-27 02:00", "2024-10-27 01:00"));
    write("single_alerts.dat", "2024-10-27 02:30 - twice\n2024-10-27 02:30 - twice\n2024-10-27 02:40 - once\n"
                               "2024-10-27 02:30 - twice\n2024-10-27 02:35 - added\n2024-10-27 03:00 - after\n");
    EXPECT_EQ(std::vector<std::string>{"2024-10-27 02:30 - twice"}, cycle("2024-10-27 02:30", "2024-10-27 01:30"));
    EXPECT_EQ(std::vector<std::string>{"2024-10-27 02:35 - added"}, cycle("2024-10-27 02:58", "2024-10-27 01:58"));
    EXPECT_EQ(std::vector<std::string>{"2024-10-27 03:00 - after"}, cycle("2024-10-27 03:00", "2024-10-27 02:00"));
}

// The configuration message comes when a fault is first found and again only
// when the values read change, not every minute of an empty file.
TEST_F(Scheduler, ConfigurationMessageIsWrittenOncePerChangeOfTheFile) {
    auto message = [this](const char* stamp) {
        testing::internal::CaptureStderr();
        cycle(stamp);
        return testing::internal::GetCapturedStderr() == CONFIGMESSAGE;
    };
    write("config.dat", "");
    EXPECT_TRUE(message("2026-05-05 10:00"));
    EXPECT_FALSE(message("2026-05-05 10:01"));
    write("config.dat", "45\n3\n");
    EXPECT_TRUE(message("2026-05-05 10:02"));
    EXPECT_FALSE(message("2026-05-05 10:03"));
    config(7, 3);
    EXPECT_FALSE(message("2026-05-05 10:04"));
    write("config.dat", "45\n3\n");
    EXPECT_TRUE(message("2026-05-05 10:05"));
}

// A stop and a start: what was announced before the stop is never announced
// again, and what fell while the service was stopped comes once.
TEST_F(Scheduler, RestartKeepsTheDaysMemoryAndCatchesUpWhatFellWhileStopped) {
    config(7, 1);
    write("monthly_alerts.dat", "06 - seen in advance\n07 - fell while stopped\n09 - due after the start\n");
    write("single_alerts.dat", "2026-05-05 10:00 - before the stop\n2026-05-05 10:00 - before the stop\n"
                               "2026-05-08 07:00 - fell while stopped\n2026-05-06 23:00 - fell first\n");
    EXPECT_EQ((std::vector<std::string>{"2026-05-05 10:00 - before the stop", "2026-05-05 10:00 - before the stop",
                                        "06 - seen in advance"}),
              cycle("2026-05-05 10:00"));
    // The same minute and the same day: nothing again.
    restartfromsaved();
    EXPECT_EQ(none, cycle("2026-05-05 10:00"));
    restartfromsaved();
    EXPECT_EQ(none, cycle("2026-05-05 18:00"));
    // Three days later: the simple alarms in minute order, then the monthly ones.
    restartfromsaved();
    EXPECT_EQ((std::vector<std::string>{"2026-05-06 23:00 - fell first", "2026-05-08 07:00 - fell while stopped",
                                        "07 - fell while stopped", "09 - due after the start"}),
              cycle("2026-05-08 18:00"));
    // Catching up turned off: only the current minute, but the day's memory holds.
    restartfromsaved();
    state.catchupdays = 0;
    write("single_alerts.dat", "2026-05-08 18:30 - while stopped\n2026-05-08 19:00 - now\n");
    EXPECT_EQ(std::vector<std::string>{"2026-05-08 19:00 - now"}, cycle("2026-05-08 19:00"));
}

// The edges at a start: a saved minute exactly the limit back is caught up
// from, a minute more is ignored; a saved minute up to three hours ahead is a
// small step back that repeats nothing, further ahead in UTC a correction.
TEST_F(Scheduler, SavedStateIsUsedWithinTheLimitAndTheSmallStepBack) {
    write("single_alerts.dat", "2026-05-10 12:00 - within\n2026-05-08 10:00 - at the start\n");
    EXPECT_EQ(std::vector<std::string>{"2026-05-08 10:00 - at the start"}, cycle("2026-05-08 10:00"));
    restartfromsaved();
    EXPECT_EQ(std::vector<std::string>{"2026-05-10 12:00 - within"}, cycle("2026-05-15 10:00"));
    write("single_alerts.dat", "2026-05-20 12:00 - lost\n2026-05-22 10:01 - now\n");
    restartfromsaved();
    EXPECT_EQ(std::vector<std::string>{"2026-05-22 10:01 - now"}, cycle("2026-05-22 10:01"));

    // The repeated hour across a restart: the kept copies hold.
    write("single_alerts.dat", "2024-10-27 02:30 - twice\n2024-10-27 02:30 - twice\n");
    restart();
    EXPECT_EQ(2u, cycle("2024-10-27 02:30", "2024-10-27 00:30").size());
    EXPECT_EQ(none, cycle("2024-10-27 02:59", "2024-10-27 00:59"));
    restartfromsaved();
    EXPECT_EQ(none, cycle("2024-10-27 02:29", "2024-10-27 01:29"));
    EXPECT_EQ(none, cycle("2024-10-27 02:30", "2024-10-27 01:30"));
    // Saved four hours ahead in UTC and local time: a correction, only the new minute.
    restartfromsaved();
    EXPECT_EQ(2u, cycle("2024-10-27 02:30", "2024-10-26 20:58").size());
}

// The file is ours, but a crash of the disk or a hand edit may leave
// anything: whatever is not exactly what we write is ignored as a whole.
TEST_F(Scheduler, StateFileRoundTripsAndAnythingMalformedIsUnreadable) {
    config(7, 3);
    write("monthly_alerts.dat", "05 - say \"hi\"\t%s\n");
    write("single_alerts.dat", "2026-05-05 10:00 - kept\n2026-05-05 10:00 - kept\n2026-05-05 10:00 - kept\n");
    write("weekly_alerts.dat", "10:00 2 - tuesdays\n");
    cycle("2026-05-05 10:00", "2026-05-05 08:00");
    std::string path = home.home() + "/service.state";
    ASSERT_EQ(0, savestatefile(&state, path.c_str()));
    std::string good = readwholefile(path);
#ifdef _WIN32
    // Windows ends every line with CR LF; the LF form reads the same, and the
    // checks and cases below take it.
    EXPECT_EQ(std::count(good.begin(), good.end(), '\n'), std::count(good.begin(), good.end(), '\r'));
    good.erase(std::remove(good.begin(), good.end(), '\r'), good.end());
#endif
    EXPECT_EQ("ruvello service state 2\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nnotified 05 - say \"hi\"\t%s\n"
              "kept 3 2026-05-05 10:00 - kept\nweekly 1 2026-05-05 10:00 10:00 2 - tuesdays\nend\n",
              good);
    restart();
    ASSERT_EQ(STATELOADED, loadstatefile(&state, path.c_str()));
    EXPECT_TRUE(isnotified(&state, "05 - say \"hi\"\t%s"));
    ASSERT_EQ(2, state.keptcount);
    EXPECT_EQ(3, state.kept[0].count);
    // The weekly line comes back in the repeated minute without a second announcement.
    EXPECT_EQ(none, cycle("2026-05-05 10:00", "2026-05-05 08:00"));
    // A path below a regular file cannot be written, and says so.
    EXPECT_EQ(1, savestatefile(&state, (path + "/below").c_str()));

    std::string cases[] = {
        "",
        "ruvello service state 3\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nend\n",
        "ruvello service state 1\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nweekly 1 2026-05-05 10:00 10:00 2 - x\nend\n",
        "ruvello service state 2\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nweekly 1 2026-05-05 10:00\nend\n",
        "ruvello service state 2\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nweekly 1 2026-05-05 1000 10:00 2 - x\nend\n",
        good.substr(0, good.size() - 4),                                  // cut before the end
        good.substr(0, good.size() - 1),                                  // the last line end lost
        good + "notified 06 - after the end\n",
        "ruvello service state 1\nscanned 2026-02-30 10:00\nutc 2026-05-05 08:00\nend\n",
        "ruvello service state 1\nutc 2026-05-05 08:00\nscanned 2026-05-05 10:00\nend\n",
        "ruvello service state 1\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nkept 0 2026-05-05 10:00 - x\nend\n",
        "ruvello service state 1\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nkept 99999999 2026-05-05 10:00 - x\nend\n",
        "ruvello service state 1\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nkept 1 x\nend\n",
        "ruvello service state 1\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nnotified # comment\nend\n",
        "ruvello service state 1\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nnotified 05 - " + std::string(600, 'x') + "\nend\n",
        std::string("ruvello service state 1\nscanned 2026-05-05 10:00\nutc 2026-05-05 08:00\nnotified 05 - a\0b\nend\n", 78),
    };
    for (const std::string& bytes : cases) {
        ASSERT_TRUE(writewholefile(path, bytes));
        restart();
        EXPECT_EQ(STATEUNREADABLE, loadstatefile(&state, path.c_str())) << bytes;
        EXPECT_EQ('\0', state.greatestscanned[0]) << bytes;
        EXPECT_EQ(0, state.notified.count) << bytes;
        EXPECT_EQ(0, state.keptcount) << bytes;
    }
    // Line ends of Windows read as well, and so does a file written before
    // weekly alarms; a missing file is no fault.
    ASSERT_TRUE(writewholefile(path, "ruvello service state 1\r\nscanned 2026-05-05 10:00\r\nutc 2026-05-05 08:00\r\n"
                                     "kept 1 2026-05-05 10:00 - kept\r\nend\r\n"));
    EXPECT_EQ(STATELOADED, loadstatefile(&state, path.c_str()));
    EXPECT_EQ(1, state.keptcount);
    restart();
    EXPECT_EQ(STATEMISSING, loadstatefile(&state, (home.home() + "/absent.state").c_str()));
}

TEST(SchedulerOptions, CatchUpTakesZeroToThirtyOneDaysAndNothingElse) {
    struct { std::vector<const char*> args; int result; int days; } cases[] = {
        {{"ruvelloservice"}, 0, 7},
        {{"ruvelloservice", "--catch-up", "0"}, 0, 0},
        {{"ruvelloservice", "--catch-up", "31"}, 0, 31},
        {{"ruvelloservice", "--catch-up", "32"}, 1, 7},
        {{"ruvelloservice", "--catch-up", "-1"}, 1, 7},
        {{"ruvelloservice", "--catch-up", "3x"}, 1, 7},
        {{"ruvelloservice", "--catch-up", ""}, 1, 7},
        {{"ruvelloservice", "--catch-up"}, 1, 7},
        {{"ruvelloservice", "--catchup", "3"}, 1, 7},
        {{"ruvelloservice", "--catch-up", "3", "4"}, 1, 7},
    };
    for (auto& c : cases) {
        int days = -1;
        EXPECT_EQ(c.result, readserviceoptions((int)c.args.size(), const_cast<char**>(c.args.data()), &days))
            << c.args.size() << " " << c.args.back();
        if (c.result == 0) {
            EXPECT_EQ(c.days, days) << c.args.back();
        }
    }
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

// A weekly line is due on its days at its time, after the simple lines of
// that minute and before the day's monthly and annual ones; a line whose
// fields do not follow the layout is never due.
TEST_F(Scheduler, WeeklyLineIsAnnouncedOnItsDaysInTheCyclesOrder) {
    write("single_alerts.dat", "2026-12-07 07:30 - simple\n");
    write("monthly_alerts.dat", "07 - monthly\n");
    write("annual_alerts.dat", "12-07 - annual\n");
    write("weekly_alerts.dat", "07:30 12345 - workdays\n07:30 67 - weekend\n07:30 21 - descending\n"
                               "07:30 11 - twice a day\n07:30 8 - no day\n07:30 0 - no day\n07:30 - none\n"
                               "07:30 1 - \n07:30 12345678 - eight\n7:30 1 - short\n24:00 1234567 - no hour\n"
                               "07:31 1 - later\n07:30 12345 - workdays\n");
    // Monday 7 December 2026.
    EXPECT_EQ((std::vector<std::string>{"2026-12-07 07:30 - simple", "07:30 12345 - workdays", "07:30 12345 - workdays",
                                        "07 - monthly", "12-07 - annual"}),
              cycle("2026-12-07 07:30"));
    EXPECT_EQ((std::vector<std::string>{"2026-12-07 07:30", "2026-12-07 07:30", "2026-12-07 07:30", "2026-12-07 00:00",
                                        "2026-12-07 00:00"}),
              dues);
    EXPECT_EQ(std::vector<std::string>{"07:31 1 - later"}, cycle("2026-12-07 07:31"));
    EXPECT_EQ(none, cycle("2026-12-08 07:29"));
    EXPECT_EQ(std::vector<std::string>(2, "07:30 12345 - workdays"), cycle("2026-12-08 07:30"));
    // Started afresh on Sunday, without the days between to catch up.
    restart();
    EXPECT_EQ(std::vector<std::string>{"07:30 67 - weekend"}, cycle("2026-12-13 07:30"));
}

// Three days stopped: a daily line missed three times comes once, for its
// latest minute, and every line in minute order among the simple ones.
TEST_F(Scheduler, WeeklyLineMissedOverAGapIsAnnouncedOnceForItsLatestMinute) {
    write("single_alerts.dat", "2026-12-06 10:00 - sunday\n");
    write("weekly_alerts.dat", "08:00 1234567 - pills\n09:00 6 - saturday\n11:00 5 - before the gap\n"
                               "13:00 5 - friday\n");
    EXPECT_EQ(none, cycle("2026-12-04 12:00"));
    restartfromsaved();
    EXPECT_EQ((std::vector<std::string>{"13:00 5 - friday", "09:00 6 - saturday", "2026-12-06 10:00 - sunday",
                                        "08:00 1234567 - pills"}),
              cycle("2026-12-07 12:00"));
    EXPECT_EQ((std::vector<std::string>{"2026-12-04 13:00", "2026-12-05 09:00", "2026-12-06 10:00", "2026-12-07 08:00"}),
              dues);
    EXPECT_EQ(none, cycle("2026-12-07 12:01"));
}

// Berlin's two nights: the minute the clock skips counts as passed, and the
// hour it shows twice announces a weekly line once, across a restart too,
// while the same line is due again a week later.
TEST_F(Scheduler, WeeklyLineKeepsTheDaylightSavingRulesOfSimpleOnes) {
    write("weekly_alerts.dat", "02:30 7 - sundays\n");
    EXPECT_EQ(none, cycle("2024-03-31 01:59", "2024-03-31 00:59"));
    EXPECT_EQ(std::vector<std::string>{"02:30 7 - sundays"}, cycle("2024-03-31 03:00", "2024-03-31 01:00"));
    EXPECT_EQ(std::vector<std::string>{"2024-03-31 02:30"}, dues);
    EXPECT_EQ(none, cycle("2024-03-31 03:01", "2024-03-31 01:01"));

    restart();
    EXPECT_EQ(std::vector<std::string>{"02:30 7 - sundays"}, cycle("2024-10-27 02:30", "2024-10-27 00:30"));
    EXPECT_EQ(none, cycle("2024-10-27 02:59", "2024-10-27 00:59"));
    restartfromsaved();
    EXPECT_EQ(none, cycle("2024-10-27 02:00", "2024-10-27 01:00"));
    EXPECT_EQ(none, cycle("2024-10-27 02:30", "2024-10-27 01:30"));
    EXPECT_EQ(none, cycle("2024-10-27 03:00", "2024-10-27 02:00"));
    EXPECT_EQ(std::vector<std::string>{"02:30 7 - sundays"}, cycle("2024-11-03 02:30", "2024-11-03 01:30"));
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
            runcycle(&state, 2026, 5, 5, "2026-05-05 10:00", 1777975200, failinglauncher);
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
            runcycle(&state, 2026, 5, 5, "2026-05-05 10:00", 1777975200, quietlauncher);
            exit(4);
        },
        testing::ExitedWithCode(1), "Ruvello - Out of memory error.\n\nPlease contact the author about this error:\n$");
}

#endif

TEST(SchedulerStart, CreatesTheFiveFilesEmptyOrEndsNamingTheFirstThatCannotBe) {
    scratchhome home;
    testing::internal::CaptureStdout();
    createdatafiles();
    std::string notices = testing::internal::GetCapturedStdout();
    size_t previous = 0;
    for (const char* name :
         {"config.dat", "single_alerts.dat", "monthly_alerts.dat", "annual_alerts.dat", "weekly_alerts.dat"}) {
        // Each notice follows the one before.
        size_t at = notices.find(home.datafolder() + name);
        EXPECT_TRUE(at != std::string::npos && at >= previous) << name;
        previous = at == std::string::npos ? previous : at;
        EXPECT_TRUE(fileexists(home.datafolder() + name)) << name;
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
