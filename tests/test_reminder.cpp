// The reminder's reading of alarm lines, its when-texts at the edges of the
// service's advance, the minutes a snooze puts an alarm off to, twenty
// snoozes written at one moment, and the scale read from the desktop's settings.
#include <gtest/gtest.h>

#include "alarmlines.h"
#include "calendar.h"
#include "datafiles.h"
#include "desktop.h"
#include "snooze.h"
#include "testsupport.h"
#include "whentext.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The local clock's zone for one test, put back afterwards.
class localzone {
public:
    explicit localzone(const char* zone) {
        const char* old = getenv("TZ");
        had = old != NULL;
        if (had) saved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~localzone() {
        if (had) setenv("TZ", saved.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    bool had;
    std::string saved;
};

// The moment of a local minute in the current zone (the later one where it is twice).
long long momentof(int year, int month, int day, int hour, int minute, int isdst) {
    struct tm broken = {};
    broken.tm_year = year - 1900;
    broken.tm_mon = month - 1;
    broken.tm_mday = day;
    broken.tm_hour = hour;
    broken.tm_min = minute;
    broken.tm_isdst = isdst;
    return (long long)mktime(&broken);
}

std::string snoozedto(int choice, long long now) {
    localminute minute;
    if (snoozeminute(choice, now, &minute) != 0) return "none";
    char stamp[STAMPBUFSIZE];
    formatminute(&minute, stamp);
    return stamp;
}

std::string when(const char* line, int year, int month, int day) {
    alarmline read;
    readalarmline(line, &read);
    localminute now = {year, month, day, 9, 0};
    char text[WHENBUFSIZE];
    describewhen(&read, NULL, &now, text, sizeof text);
    return text;
}

std::vector<std::string> datalines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line[0] >= '0' && line[0] <= '9') lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

const int TOMORROWCHOICE = SNOOZECHOICES - 1;

}  // namespace

// A layout is recognised only whole, with a real date and a message after
// its separator; anything else is a line made by hand, shown as it stands.
TEST(AlarmLines, ALayoutIsRecognisedOnlyWholeAndReal) {
    struct {
        const char* line;
        int layout;
        const char* message;
    } cases[] = {
        {"2028-02-29 23:59 - leap", LAYOUTSIMPLE, "leap"},
        {"2026-02-29 10:00 - no such day", LAYOUTNONE, NULL},
        {"2026-12-09 24:00 - no such hour", LAYOUTNONE, NULL},
        {"31 - pay - twice", LAYOUTMONTHLY, "pay - twice"},
        {"32 - no such day", LAYOUTNONE, NULL},
        {"02-29 - leap day", LAYOUTANNUAL, "leap day"},
        {"02-30 - no such day", LAYOUTNONE, NULL},
        {"12-24 - ", LAYOUTNONE, NULL},
        {"12-24 -tree", LAYOUTNONE, NULL},
        {"5 - rent", LAYOUTNONE, NULL},
        {"2026-12-09 14:30", LAYOUTNONE, NULL},
        {"00:00 1234567 - every day", LAYOUTWEEKLY, "every day"},
        {"23:59 7 - sunday", LAYOUTWEEKLY, "sunday"},
        {"24:00 1 - no such hour", LAYOUTNONE, NULL},
        {"08:00 12345678 - eight days", LAYOUTNONE, NULL},
        {"08:00 0 - day zero", LAYOUTNONE, NULL},
        {"08:00  - no day", LAYOUTNONE, NULL},
        {"08:00 21 - descending", LAYOUTNONE, NULL},
        {"08:00 133 - repeated", LAYOUTNONE, NULL},
    };
    for (const auto& c : cases) {
        alarmline read;
        EXPECT_EQ(c.layout, readalarmline(c.line, &read)) << c.line;
        EXPECT_STREQ(c.message != NULL ? c.message : c.line, read.message) << c.line;
    }
    localminute due;
    EXPECT_TRUE(readstamp("2026-12-31 00:00", &due));
    EXPECT_FALSE(readstamp("2026-12-31 00:00 ", &due));
    EXPECT_FALSE(readstamp("2026-13-01 00:00", &due));
}

// A weekly alarm is composed from its chosen days and checked like the
// others, with an alert of its own for no day; its message's room is what the
// layout leaves, less for each day.
TEST(AlarmLines, AWeeklyAlarmIsComposedAndCheckedByItsLayout) {
    const alarmline workdays = {LAYOUTWEEKLY, {0, 0, 0, 7, 5}, 0x1f, NULL};
    const alarmline noday = {LAYOUTWEEKLY, {0, 0, 0, 7, 5}, 0, NULL};
    char line[LINEBUFSIZE];
    composealarmline(KINDWEEKLY, &workdays, "get\nup", line);
    EXPECT_STREQ("07:05 12345 - get up", line);
    EXPECT_EQ(KINDWEEKLY, newalarmkind(line));
    EXPECT_EQ(NULL, checknewalarm(KINDWEEKLY, line, "2030-01-01 00:00"));
    composealarmline(KINDWEEKLY, &noday, "x", line);
    EXPECT_STREQ(NODAYMESSAGE, checknewalarm(newalarmkind(line), line, "2030-01-01 00:00"));
    EXPECT_STREQ(EMPTYMESSAGE, checknewalarm(KINDWEEKLY, "07:05 1 - ", "2030-01-01 00:00"));
    EXPECT_STREQ(NODATEMESSAGE, checknewalarm(KINDWEEKLY, "24:00 1 - x", "2030-01-01 00:00"));
    EXPECT_STREQ(NODATEMESSAGE, checknewalarm(KINDWEEKLY, "07:05 31 - x", "2030-01-01 00:00"));
    std::string one = "07:05 1 - " + std::string(501, 'x');
    std::string all = "07:05 1234567 - " + std::string(495, 'x');
    EXPECT_EQ(NULL, checknewalarm(KINDWEEKLY, one.c_str(), "2030-01-01 00:00"));
    EXPECT_EQ(NULL, checknewalarm(KINDWEEKLY, all.c_str(), "2030-01-01 00:00"));
    EXPECT_STREQ(TOOLONGMESSAGE, checknewalarm(KINDWEEKLY, (all + "x").c_str(), "2030-01-01 00:00"));
}

// A message too long for a simple line is cut at a character's edge, and a
// line break in it never reaches the file.
TEST(AlarmLines, ASnoozedMessageIsCutBetweenCharactersWithoutLineBreaks) {
    const alarmline minute = {LAYOUTSIMPLE, {2026, 12, 9, 14, 30}, 0, NULL};
    char line[LINEBUFSIZE + 1];
    std::string message = "a";
    for (int i = 0; i < 300; i++) message += "\xC3\xA9";  // é, two bytes each
    // A new alarm is never cut to fit: the panel refuses it whole.
    EXPECT_STREQ(TOOLONGMESSAGE, composenewalarm(KINDSINGLE, &minute, message.c_str(), "2026-01-01 00:00", line));
    composealarmline(KINDSINGLE, &minute, message.c_str(), line);
    size_t length = strlen(line);
    EXPECT_LE(length, (size_t)(LINEBUFSIZE - 1));
    EXPECT_GT(length, (size_t)(LINEBUFSIZE - 3)) << "cut shorter than it needed to be";
    EXPECT_EQ(0, strncmp(line, "2026-12-09 14:30 - a", 20));
    EXPECT_EQ((unsigned char)line[length - 1], 0xA9) << "cut inside a character";
    composealarmline(KINDSINGLE, &minute, "one\r\ntwo\nthree", line);
    EXPECT_STREQ("2026-12-09 14:30 - one  two three", line);
}

// The minutes a snooze gives are ones the local clock shows: across midnight
// and a year's end, into the hour that daylight saving time skips and through
// the one it repeats; tomorrow's same time on the day it does not exist is the
// first minute after the gap.
TEST(Snooze, TheMinuteIsOneTheLocalClockShows) {
    localzone berlin("Europe/Berlin");
    EXPECT_EQ("2027-01-01 00:08", snoozedto(DEFAULTSNOOZE, momentof(2026, 12, 31, 23, 58, -1)));
    // 5 minutes from 01:58 standard time, when the clock jumps from 02:00 to 03:00.
    EXPECT_EQ("2024-03-31 03:03", snoozedto(0, momentof(2024, 3, 31, 1, 58, 0)));
    // 10 minutes from 02:55 summer time, when the clock goes back from 03:00 to 02:00.
    EXPECT_EQ("2024-10-27 02:05", snoozedto(DEFAULTSNOOZE, momentof(2024, 10, 27, 2, 55, 1)));
    EXPECT_EQ("2024-03-31 03:00", snoozedto(TOMORROWCHOICE, momentof(2024, 3, 30, 2, 30, 0)));
    EXPECT_EQ("2024-03-01 02:30", snoozedto(TOMORROWCHOICE, momentof(2024, 2, 29, 2, 30, 0)));
    EXPECT_EQ("2024-10-27 02:30", snoozedto(TOMORROWCHOICE, momentof(2024, 10, 26, 2, 30, 1)));
}

// Without the service's minute a monthly or annual line is dated ahead only
// within the longest advance the service allows, else by the date that passed.
TEST(WhenText, ALineIsDatedAheadOnlyWithinTheServicesLongestAdvance) {
    EXPECT_EQ("in 10 days, on Monday 30 November", when("30 - pay", 2026, 11, 20));
    EXPECT_EQ("was on Saturday 31 October", when("31 - pay", 2026, 11, 20));
    EXPECT_EQ("in 30 days, on Friday 8 January 2027", when("01-08 - plan", 2026, 12, 9));
    EXPECT_EQ("was on Friday 9 January", when("01-09 - plan", 2026, 12, 9));
    EXPECT_EQ("today", when("12-09 - plan", 2026, 12, 9));
    // A weekly line without the service's minute: its latest minute up to
    // now (09:00), which is today's only when its time has come.
    EXPECT_EQ("was due at 08:00 today", when("08:00 3 - Wednesday", 2026, 12, 9));
    EXPECT_EQ("was due at 10:00 on Wednesday 2 December", when("10:00 3 - Wednesday", 2026, 12, 9));
    EXPECT_EQ("was due at 10:00 on Sunday 6 December", when("10:00 67 - weekends", 2026, 12, 9));
}

// Twenty boxes snoozed at one moment: each writer waits its turn for the
// list, so none loses another's line.
TEST(Snooze, TwentyBoxesSnoozedAtOnceLeaveTwentyNewLines) {
    scratchhome home;
    const int BOXES = 20;
    char path[PATHBUFSIZE];
    ASSERT_EQ(0, getsinglealertfilename(path));
    const std::string kept = "2027-01-01 00:00 - new year\n2026-06-01 10:00 - dentist\n";
    ASSERT_TRUE(writewholefile(path, "# alert list\n" + kept));
    int gate[2];
    ASSERT_EQ(0, pipe(gate));
    long long now = (long long)time(NULL);
    std::vector<pid_t> children;
    for (int box = 0; box < BOXES; box++) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(gate[1]);
            char byte;
            // All start when the gate closes.
            while (read(gate[0], &byte, 1) > 0) {
            }
            // Every other box shows a weekly line: its message is snoozed alike.
            std::string line = (box % 2 == 0 ? "12-24 - box " : "07:30 12345 - box ") + std::to_string(box);
            char written[PATHBUFSIZE];
            _exit(snoozereminder(line.c_str(), DEFAULTSNOOZE, now, written));
        }
        children.push_back(child);
    }
    close(gate[0]);
    close(gate[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == LISTCHANGED) << "status " << status;
    }
    std::vector<std::string> lines = datalines(readwholefile(path));
    ASSERT_EQ((size_t)(BOXES + 2), lines.size());
    EXPECT_EQ("2027-01-01 00:00 - new year", lines[0]);
    EXPECT_EQ("2026-06-01 10:00 - dentist", lines[1]);
    for (int box = 0; box < BOXES; box++) {
        int found = 0;
        for (const std::string& line : lines) {
            if (line.size() > 19 && line.substr(19) == "box " + std::to_string(box)) found++;
        }
        EXPECT_EQ(1, found) << "box " << box;
    }
}

// The desktop's X11 settings as a user or a desktop may leave them: Xft.dpi
// decides when it holds a positive number, even one below 96; GDK_SCALE only
// when it does not; anything that is no number counts as absent, and a
// mistyped resolution gives no window larger than four times its size.
TEST(DesktopScale, XftDpiDecidesThenGdkScaleWithinOneAndFour) {
    EXPECT_DOUBLE_EQ(1.5, scalefromsettings("144", NULL));
    EXPECT_DOUBLE_EQ(1.25, scalefromsettings("120", "3"));
    EXPECT_DOUBLE_EQ(1.5, scalefromsettings(" 144 ", NULL));
    EXPECT_DOUBLE_EQ(1, scalefromsettings("96", "2"));
    EXPECT_DOUBLE_EQ(1, scalefromsettings("72", "2"));
    EXPECT_DOUBLE_EQ(2, scalefromsettings(NULL, "2"));
    EXPECT_DOUBLE_EQ(1, scalefromsettings(NULL, NULL));
    EXPECT_DOUBLE_EQ(1, scalefromsettings(NULL, "0.5"));
    for (const char* bad : {"", "abc", "144dpi", "0", "-192", "nan", "inf", "1e999"}) {
        EXPECT_DOUBLE_EQ(2, scalefromsettings(bad, "2")) << bad;
        EXPECT_DOUBLE_EQ(1, scalefromsettings(NULL, bad)) << bad;
    }
    EXPECT_DOUBLE_EQ(4, scalefromsettings("9600", NULL));
    EXPECT_DOUBLE_EQ(4, scalefromsettings(NULL, "1000000"));
}
