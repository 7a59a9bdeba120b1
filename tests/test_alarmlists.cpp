// The three alarm lists: creating with its checks, sorting, removing, the
// files they write, loading at start-up and the fatal file error.
#include "config/configtest.h"

#include "alarmlists.h"
#include "calendar.h"
#include "dialogs.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Spinner.H>
#include <FL/Fl_Toggle_Button.H>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Lists : public configtest {
protected:
    std::string annualfile() const { return readwholefile(datafile("annual_alerts.dat")); }
    std::string monthlyfile() const { return readwholefile(datafile("monthly_alerts.dat")); }
    std::string singlefile() const { return readwholefile(datafile("single_alerts.dat")); }
    std::string weeklyfile() const { return readwholefile(datafile("weekly_alerts.dat")); }
};

void setannual(int month, int day, const char* message) {
    annual_month->value(month);
    annual_day->value(day);
    annual_message_text->value(message);
}

void setmonthly(int day, const char* message) {
    monthly_day->value(day);
    monthly_message_text->value(message);
}

void setsingle(const struct tm& when, const char* message) {
    single_year->value(when.tm_year + 1900);
    single_month->value(when.tm_mon + 1);
    single_day->value(when.tm_mday);
    single_hour->value(when.tm_hour);
    single_minute->value(when.tm_min);
    single_message_text->value(message);
}

// Sets the weekly fields; days holds the ISO digits of the days to turn on.
void setweekly(const char* days, int hour, int minute, const std::string& message) {
    for (int day = 0; day < 7; day++) weekly_days[day]->value(strchr(days, '1' + day) != NULL);
    weekly_hour->value(hour);
    weekly_minute->value(minute);
    weekly_message_text->value(message.c_str());
}

struct tm localat(time_t when) { return *localtime(&when); }

// Runs action until it ran within one minute of the clock (at most 3 times).
void withinoneminute(const std::function<void()>& action) {
    for (int attempt = 0; attempt < 3; attempt++) {
        char before[STAMPBUFSIZE];
        char after[STAMPBUFSIZE];
        gettimestamp(before);
        action();
        gettimestamp(after);
        if (strcmp(before, after) == 0) return;
    }
    FAIL() << "the minute kept changing";
}

// The one selected line, found by its mark; 0 for none, -1 for more than one.
int selectedline(Fl_Hold_Browser* list) {
    int found = 0;
    for (int i = 1; i <= list->size(); i++) {
        if (list->selected(i)) found = found == 0 ? i : -1;
    }
    return found;
}

std::string lastalert() { return dialogs.empty() ? std::string() : dialogs.back().text; }

const char* annualdesc = "data file for annual alarms";
const char* monthlydesc = "data file for monthly alarms";
const char* singledesc = "data file for simple alarms";

}  // namespace

TEST_F(Lists, CreateComposesTheLineAppendsItAndRewritesTheFile) {
    setannual(3, 3, "x");
    cb_create_annual(NULL, NULL);
    setannual(12, 15, "x");
    cb_create_annual(NULL, NULL);
    setmonthly(7, "x");
    cb_create_monthly(NULL, NULL);
    setmonthly(21, " ");  // a single space is a message
    cb_create_monthly(NULL, NULL);
    cb_create_monthly(NULL, NULL);  // a second press adds the same line again
    struct tm next = localat(time(NULL));
    next.tm_year += 1;
    next.tm_mon = 11;
    next.tm_mday = 24;
    next.tm_hour = 18;
    next.tm_min = 5;
    setsingle(next, "Buy the tree - and # a star");
    cb_create_single(NULL, NULL);
    EXPECT_TRUE(dialogs.empty()) << lastalert();
    std::string year = std::to_string(next.tm_year + 1900);
    EXPECT_EQ(masktimestamp(annualfile()), listfilebytes(annualdesc, {"03-03 - x", "12-15 - x"}));
    EXPECT_EQ(masktimestamp(monthlyfile()), listfilebytes(monthlydesc, {"07 - x", "21 -  ", "21 -  "}));
    EXPECT_EQ(masktimestamp(singlefile()), listfilebytes(singledesc, {year + "-12-24 18:05 - Buy the tree - and # a star"}));
    // The fields keep what the user left in them.
    EXPECT_STREQ(monthly_message_text->value(), " ");
    EXPECT_EQ(monthly_day->value(), 21);
    // A new line goes to the end even of a list sorted just before.
    cb_sort_desc_annual(NULL, NULL);
    setannual(6, 1, "y");
    cb_create_annual(NULL, NULL);
    EXPECT_EQ(browserlines(annual_browser), std::vector<std::string>({"12-15 - x", "03-03 - x", "06-01 - y"}));
}

TEST_F(Lists, CreateRefusesInOrderEmptyTooLongNoSuchDateThePastAndChangesNothing) {
    struct tm past = localat(time(NULL) - 3600 * 24 * 400);
    past.tm_mon = 3;
    past.tm_mday = 31;  // 31 April, in the past
    setsingle(past, "");
    cb_create_single(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert. The message is empty.");
    std::string longest(492, 'm');
    setsingle(past, (longest + "m").c_str());
    cb_create_single(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert. The message is too long.");
    setsingle(past, "x");
    cb_create_single(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert. The date does not exist.");
    past.tm_mday = 30;
    setsingle(past, "x");
    cb_create_single(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert for the past.\nPlease provide a future time.");
    // Days a month never has, whatever the year.
    int nodays[][2] = {{2, 30}, {2, 31}, {4, 31}, {6, 31}, {9, 31}, {11, 31}};
    for (auto& date : nodays) {
        setannual(date[0], date[1], "x");
        cb_create_annual(NULL, NULL);
        EXPECT_EQ(lastalert(), "Cannot create a new alert. The date does not exist.") << date[0] << "-" << date[1];
    }
    setannual(1, 1, (std::string(503, 'a') + "a").c_str());
    cb_create_annual(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert. The message is too long.");
    setmonthly(1, (std::string(506, 'b') + "b").c_str());
    cb_create_monthly(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert. The message is too long.");
    setmonthly(1, "");
    cb_create_monthly(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert. The message is empty.");
    EXPECT_EQ(dialogs.size(), 13u);
    EXPECT_EQ(annual_browser->size() + monthly_browser->size() + single_browser->size(), 0);
    EXPECT_FALSE(fileexists(datafile("annual_alerts.dat")));
    EXPECT_FALSE(fileexists(datafile("monthly_alerts.dat")));
    EXPECT_FALSE(fileexists(datafile("single_alerts.dat")));
}

TEST_F(Lists, CreateAcceptsTheLongestMessagesLeapDaysAndTurnsLineBreaksIntoSpaces) {
    int leapyear = localat(time(NULL)).tm_year + 1901;
    while (!isleapyear(leapyear)) leapyear++;
    struct tm leapday = {};
    leapday.tm_year = leapyear - 1900;
    leapday.tm_mon = 1;
    leapday.tm_mday = 29;
    single_year->range(leapyear - 4, leapyear);
    setsingle(leapday, std::string(492, 's').c_str());
    cb_create_single(NULL, NULL);
    leapday.tm_year += 1;  // 29 February of the year after is no date
    setsingle(leapday, "x");
    cb_create_single(NULL, NULL);
    EXPECT_EQ(lastalert(), "Cannot create a new alert. The date does not exist.");
    setannual(2, 29, std::string(503, 'a').c_str());
    cb_create_annual(NULL, NULL);
    setmonthly(31, std::string(506, 'm').c_str());
    cb_create_monthly(NULL, NULL);
    setmonthly(30, "pasted\r\nline\rbreaks\n");
    cb_create_monthly(NULL, NULL);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(browserlines(single_browser)[0].size(), 511u);
    EXPECT_EQ(masktimestamp(annualfile()), listfilebytes(annualdesc, {"02-29 - " + std::string(503, 'a')}));
    EXPECT_EQ(masktimestamp(monthlyfile()),
              listfilebytes(monthlydesc, {"31 - " + std::string(506, 'm'), "30 - pasted  line breaks "}));
}

// The days come out in ascending order whatever was chosen, and the room for
// the message shrinks by one with each day chosen.
TEST_F(Lists, WeeklyCreateComposesTimeAndAscendingDaysAndTakesTheLongestMessage) {
    setweekly("731", 7, 5, "pills");
    cb_create_weekly(NULL, NULL);
    setweekly("1234567", 23, 59, "two\r\nlines");
    cb_create_weekly(NULL, NULL);
    setweekly("6", 0, 0, std::string(501, 'a'));
    cb_create_weekly(NULL, NULL);
    setweekly("1234567", 10, 0, std::string(495, 'b'));
    cb_create_weekly(NULL, NULL);
    EXPECT_TRUE(dialogs.empty()) << lastalert();
    EXPECT_EQ(masktimestamp(weeklyfile()),
              listfilebytes("data file for weekly alarms", {"07:05 137 - pills", "23:59 1234567 - two  lines",
                                                            "00:00 6 - " + std::string(501, 'a'),
                                                            "10:00 1234567 - " + std::string(495, 'b')}));
    // No date, so no past: the current minute is accepted.
    initfields();
    setweekly("5", (int)weekly_hour->value(), (int)weekly_minute->value(), "now");
    cb_create_weekly(NULL, NULL);
    EXPECT_TRUE(dialogs.empty()) << lastalert();
    EXPECT_EQ(weekly_browser->size(), 5);
}

TEST_F(Lists, WeeklyCreateRefusesEmptyTooLongAndNoDayInThatOrderAndChangesNothing) {
    const char* empty = "Cannot create a new alert. The message is empty.";
    const char* toolong = "Cannot create a new alert. The message is too long.";
    const char* noday = "Cannot create a new alert. Please choose at least one day of the week.";
    const std::pair<std::string, std::string> attempts[][2] = {
        {{"", ""}, {empty, ""}},
        {{"12", ""}, {empty, ""}},
        {{"", std::string(600, 'x')}, {toolong, ""}},
        {{"7", std::string(502, 'x')}, {toolong, ""}},
        {{"1234567", std::string(496, 'x')}, {toolong, ""}},
        {{"", "x"}, {noday, ""}},
    };
    for (const auto& attempt : attempts) {
        dialogs.clear();
        setweekly(attempt[0].first.c_str(), 8, 0, attempt[0].second);
        cb_create_weekly(NULL, NULL);
        ASSERT_EQ(dialogs.size(), 1u) << attempt[0].first;
        EXPECT_EQ(dialogs[0].text, attempt[1].first) << attempt[0].first << " " << attempt[0].second.size();
    }
    EXPECT_EQ(weekly_browser->size(), 0);
    EXPECT_FALSE(fileexists(datafile("weekly_alerts.dat")));
}

TEST_F(Lists, PastCheckComparesOnlyTheAlarmsMinuteWithTheClock) {
    withinoneminute([] {
        dialogs.clear();
        setsingle(localat(time(NULL)), "now");
        cb_create_single(NULL, NULL);
    });
    EXPECT_EQ(lastalert(), "Cannot create a new alert for the past.\nPlease provide a future time.");
    // The preset of the fields is the current minute or one already past.
    initfields();
    cb_create_single(NULL, NULL);
    EXPECT_EQ(dialogs.size(), 2u);
    withinoneminute([] {
        dialogs.clear();
        single_browser->clear();
        char stamp[STAMPBUFSIZE];
        gettimestamp(stamp);
        setsingle(localat(time(NULL) + 60), (std::string("at ") + stamp).c_str());
        cb_create_single(NULL, NULL);
    });
    EXPECT_TRUE(dialogs.empty()) << lastalert();
    EXPECT_EQ(single_browser->size(), 1);
}

TEST_F(Lists, SortOrdersWholeLinesAndKeepsTheChosenLineSelected) {
    for (const char* line : {"12-01 - a", "01-15 - b", "03-03 - c", "03-03 - C"}) annual_browser->add(line);
    annual_browser->value(1);
    cb_sort_asc_annual(NULL, NULL);
    std::vector<std::string> ascending = {"01-15 - b", "03-03 - C", "03-03 - c", "12-01 - a"};
    EXPECT_EQ(browserlines(annual_browser), ascending);
    EXPECT_EQ(annual_browser->value(), 4);
    EXPECT_EQ(masktimestamp(annualfile()), listfilebytes(annualdesc, ascending));
    cb_sort_desc_annual(NULL, NULL);
    EXPECT_EQ(browserlines(annual_browser),
              std::vector<std::string>({"12-01 - a", "03-03 - c", "03-03 - C", "01-15 - b"}));
    EXPECT_EQ(annual_browser->value(), 1);
    // Remove after Sort removes the line the user chose.
    annual_browser->value(3);
    cb_sort_asc_annual(NULL, NULL);
    answers.push_back(2);
    cb_remove_annual(NULL, NULL);
    EXPECT_EQ(masktimestamp(annualfile()), listfilebytes(annualdesc, {"01-15 - b", "03-03 - c", "12-01 - a"}));
    // An empty list and a list of one line stay as they are, and are written all the same.
    cb_sort_asc_monthly(NULL, NULL);
    EXPECT_EQ(masktimestamp(monthlyfile()), listfilebytes(monthlydesc, {}));
    single_browser->add("2030-01-01 00:00 - x");
    cb_sort_desc_single(NULL, NULL);
    EXPECT_EQ(masktimestamp(singlefile()), listfilebytes(singledesc, {"2030-01-01 00:00 - x"}));
}

// Sorting is stable and the selection stays on the line the user chose:
// checked against a plain exchange sort of a second list, which never swaps
// equal lines and whose swaps carry the selection with each line.
TEST_F(Lists, SortIsStableAndTheSelectionStaysOnItsLine) {
    std::mt19937 random(20260307);
    Fl_Hold_Browser reference(0, 0, 100, 100);
    for (int round = 0; round < 60; round++) {
        int count = (int)(random() % 40);
        annual_browser->clear();
        reference.clear();
        for (int i = 0; i < count; i++) {
            // Few distinct texts, so that equal lines are common: short ones,
            // a byte above 127, and long ones alike in their first 24 bytes
            // or ending there.
            static const char* texts[] = {"01-01 - x", "01-01 - X", "12-31 - a", "06-15 - a", "06-15 - a\xe9",
                                          "06-15 - ab", "02-29 - ", "06-15 - the same prefix!",
                                          "06-15 - the same prefix!a", "06-15 - the same prefix!B",
                                          "06-15 - the same prefix!\xe9", "06-15 - the same prefix"};
            std::string line = texts[random() % 12];
            annual_browser->add(line.c_str());
            reference.add(line.c_str());
        }
        int selected = count == 0 ? 0 : (int)(random() % (count + 1));
        annual_browser->value(selected);
        reference.value(selected);
        bool ascending = round % 2 == 0;
        sort_datebrowser(annual_browser, ascending);
        for (int pass = 1; pass < count; pass++) {
            bool swapped = false;
            for (int j = 1; j < count; j++) {
                int order = strcmp(reference.text(j), reference.text(j + 1));
                if (ascending ? order > 0 : order < 0) {
                    reference.swap(j, j + 1);
                    swapped = true;
                }
            }
            if (!swapped) break;
        }
        ASSERT_EQ(browserlines(annual_browser), browserlines(&reference)) << "round " << round;
        // The reference is asked line by line: after swaps the toolkit's value()
        // can give a stale line number.
        ASSERT_EQ(annual_browser->value(), selectedline(&reference)) << "round " << round;
        ASSERT_EQ(selectedline(annual_browser), selectedline(&reference)) << "round " << round;
    }
}

TEST_F(Lists, RemoveAsksFirstAndRewritesTheFileWhateverTheAnswer) {
    monthly_browser->add("05 - rent");
    monthly_browser->add("10 - water");
    cb_remove_monthly(NULL, NULL);  // nothing selected: no question
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(masktimestamp(monthlyfile()), listfilebytes(monthlydesc, {"05 - rent", "10 - water"}));
    remove(datafile("monthly_alerts.dat").c_str());
    monthly_browser->value(2);
    answers = {1, 0};  // "No", then Escape
    cb_remove_monthly(NULL, NULL);
    cb_remove_monthly(NULL, NULL);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].kind, DIALOGCHOICE);
    EXPECT_EQ(dialogs[0].text, "You are going to remove the selected item.\nAre you sure?");
    EXPECT_EQ(masktimestamp(monthlyfile()), listfilebytes(monthlydesc, {"05 - rent", "10 - water"}));
    answers = {2, 2};
    cb_remove_monthly(NULL, NULL);
    monthly_browser->value(1);
    cb_remove_monthly(NULL, NULL);
    EXPECT_EQ(monthly_browser->size(), 0);
    EXPECT_EQ(masktimestamp(monthlyfile()), listfilebytes(monthlydesc, {}));
}

TEST_F(Lists, LoadingTakesDataLinesAsTheyStandAndTheNextSaveDropsTheRest) {
    writewholefile(datafile("single_alerts.dat"), "2020-01-01 10:00 - past\r\n# a comment\nnot a digit\n\n"
                                                  " 2030-01-01 10:00 - blank first\n2020-01-01 10:00 - past\n");
    writewholefile(datafile("monthly_alerts.dat"), "5 - x\n99 - not checked");
    writewholefile(datafile("annual_alerts.dat"), "# only comments\n#\n");
    testing::internal::CaptureStdout();
    initfiles();
    std::string notices = testing::internal::GetCapturedStdout();
    std::string folder = home->datafolder();
    EXPECT_EQ(notices, "The following file has been created:\n\t\"" + folder + "config.dat\"\n"
                       "The following file has been created:\n\t\"" + folder + "weekly_alerts.dat\"\n");
    EXPECT_EQ(browserlines(single_browser),
              std::vector<std::string>({"2020-01-01 10:00 - past", "2020-01-01 10:00 - past"}));
    EXPECT_EQ(browserlines(monthly_browser), std::vector<std::string>({"5 - x", "99 - not checked"}));
    EXPECT_EQ(annual_browser->size(), 0);
    cb_sort_asc_single(NULL, NULL);
    EXPECT_EQ(masktimestamp(singlefile()),
              listfilebytes(singledesc, {"2020-01-01 10:00 - past", "2020-01-01 10:00 - past"}));
}

TEST_F(Lists, MissingListFilesAreCreatedEmptyInTheOrderSimpleMonthlyAnnualWeekly) {
    testing::internal::CaptureStdout();
    loadalertlists();
    std::string notices = testing::internal::GetCapturedStdout();
    std::string folder = home->datafolder();
    EXPECT_EQ(notices, "The following file has been created:\n\t\"" + folder + "single_alerts.dat\"\n"
                       "The following file has been created:\n\t\"" + folder + "monthly_alerts.dat\"\n"
                       "The following file has been created:\n\t\"" + folder + "annual_alerts.dat\"\n"
                       "The following file has been created:\n\t\"" + folder + "weekly_alerts.dat\"\n");
    EXPECT_EQ(readwholefile(datafile("annual_alerts.dat")), "");
    EXPECT_EQ(readwholefile(datafile("weekly_alerts.dat")), "");
}

TEST_F(Lists, FileThatCannotBeWrittenEndsWithTheFatalMessageAndKeepsTheOldFile) {
    // A '@' in the path is shown as it is: doubled for the toolkit.
    std::string odd = home->home() + "/jo@example";
    mkdir(odd.c_str(), 0700);
    setenv("HOME", odd.c_str(), 1);
    std::string path = odd + "/.fltk/ruvello/config/annual_alerts.dat";
    setannual(12, 24, "Buy the tree");
    cb_create_annual(NULL, NULL);
    std::string before = readwholefile(path);
    ASSERT_NE(before, "");
    answerdialogsonstderr();
    std::string text = "FATAL ERROR\nCannot create or access the following file\n   \"" + path + "\"";
    std::string shown = "FATAL ERROR\nCannot create or access the following file\n   \"" + home->home() +
                        "/jo@@example/.fltk/ruvello/config/annual_alerts.dat\"";
    // The writer's temporary file (of the process that saves) cannot be made where a folder stands.
    EXPECT_EXIT(
        {
            mkdir(owntemporary(path).c_str(), 0700);
            cb_create_annual(NULL, NULL);
        },
        testing::ExitedWithCode(1), "^" + regexquote(text + "[dialog 2: Ruvello - " + shown + "]") + "$");
    EXPECT_EXIT(
        {
            mkdir(owntemporary(path).c_str(), 0700);
            cb_sort_asc_annual(NULL, NULL);
        },
        testing::ExitedWithCode(1), regexquote(text));
    EXPECT_EQ(readwholefile(path), before);
}

TEST_F(Lists, ReadErrorWhileLoadingIsFatal) {
    // Reading this file fails at once with an input/output error.
    std::string path = datafile("monthly_alerts.dat");
    writewholefile(datafile("config.dat"), "");
    ASSERT_EQ(symlink("/proc/self/mem", path.c_str()), 0);
    answerdialogsonstderr();
    EXPECT_EXIT(initfiles(), testing::ExitedWithCode(1),
                regexquote("Cannot create or access the following file\n   \"" + path + "\""));
}

// Run by the suite once more without a display: the message goes to standard
// error alone, and no dialog is tried.
TEST(ListsWithoutDisplay, FatalMessageGoesToStandardErrorAlone) {
    if (getenv("DISPLAY") != NULL) GTEST_SKIP() << "needs a run without DISPLAY";
    answerdialogsonstderr();
    EXPECT_EXIT(displayfilefatalerrorandexit("/home/jo@example/x.dat"), testing::ExitedWithCode(1),
                "^" + regexquote("FATAL ERROR\nCannot create or access the following file\n   \"/home/jo@example/x.dat\"") +
                    "$");
}
