// The panel and the disk: lines and settings changed outside the open panel
// are reloaded and never overwritten, and Export and Import on the
// configuration tab, with the file dialog answered by the test.
#include "config/configtest.h"

#include "alarmlists.h"
#include "dialogs.h"
#include "exchange.h"
#include "importexport.h"
#include "listcommands.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Spinner.H>
#include <cstdio>

namespace {

class PanelAndDisk : public configtest {
protected:
    void TearDown() override {
        setfileanswerer(NULL);
        configtest::TearDown();
    }
};

std::string chosenfile;

int answerchosenfile(bool, const char*, char* path, int pathsize) {
    if (chosenfile.empty()) return 1;
    snprintf(path, (size_t)pathsize, "%s", chosenfile.c_str());
    return 0;
}

// The data lines of a data file, in order.
std::vector<std::string> datalinesof(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        if (!line.empty() && isdigit((unsigned char)line[0])) lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

}  // namespace

// A line added by hand while the panel is open is reloaded, the selection
// stays on its line, and a Create keeps the hand-made line; a Remove of a line
// deleted by hand removes nothing and says why.
TEST_F(PanelAndDisk, LinesChangedOutsideAreReloadedAndNeverOverwritten) {
    std::string path = datafile("annual_alerts.dat");
    ASSERT_TRUE(writewholefile(path, "01-15 - a\n12-24 - b\n"));
    initfiles();
    annual_browser->select(2);
    ASSERT_TRUE(writewholefile(path, "# by hand\n01-01 - hand\n01-15 - a\n12-24 - b\n"));
    EXPECT_EQ(1, refreshalertlists());
    EXPECT_EQ((std::vector<std::string>{"01-01 - hand", "01-15 - a", "12-24 - b"}), browserlines(annual_browser));
    EXPECT_EQ(3, annual_browser->value());
    EXPECT_EQ(0, refreshalertlists());

    ASSERT_TRUE(writewholefile(path, "01-01 - hand\n01-15 - a\n12-24 - b\n07-07 - second hand\n"));
    annual_month->value(3);
    annual_day->value(3);
    annual_message_text->value("x");
    cb_create_annual(NULL, NULL);
    EXPECT_EQ((std::vector<std::string>{"01-01 - hand", "01-15 - a", "12-24 - b", "07-07 - second hand", "03-03 - x"}),
              datalinesof(readwholefile(path)));

    annual_browser->select(2);
    ASSERT_TRUE(writewholefile(path, "03-03 - x\n"));
    answers = {2};
    cb_remove_annual(NULL, NULL);
    ASSERT_EQ(2u, dialogs.size());
    EXPECT_EQ("The list was changed outside the panel and has been reloaded.", dialogs.back().text);
    EXPECT_EQ(std::vector<std::string>{"03-03 - x"}, datalinesof(readwholefile(path)));
    EXPECT_EQ(std::vector<std::string>{"03-03 - x"}, browserlines(annual_browser));
}

// A moved spinner writes its own new value with the other value as it is on disk.
TEST_F(PanelAndDisk, AMovedSpinnerKeepsTheOtherValueFromDisk) {
    ASSERT_TRUE(writewholefile(datafile("config.dat"), "7\n3\n"));
    initfiles();
    ASSERT_TRUE(writewholefile(datafile("config.dat"), "# by hand\n12\n5\n2\n"));
    annual_day_adv->child(1)->do_callback();  // the up arrow
    EXPECT_EQ((std::vector<std::string>{"8", "5", "2"}), datalinesof(readwholefile(datafile("config.dat"))));
    EXPECT_EQ(5, monthly_day_adv->value());
    EXPECT_EQ(SOUNDREPEAT, reminder_sound->value());
}

// Export, everything removed by hand, Import replacing all: the lists, the
// spinners and the files are as before, and the message names the copy made.
// A cancelled dialog and a bad file change nothing.
TEST_F(PanelAndDisk, ExportThenImportBringsEverythingBack) {
    ASSERT_TRUE(writewholefile(datafile("config.dat"), "21\n6\n0\n"));
    ASSERT_TRUE(writewholefile(datafile("single_alerts.dat"), "2031-05-06 07:08 - jo@example \"q\"\n"));
    ASSERT_TRUE(writewholefile(datafile("monthly_alerts.dat"), "05 - rent\n"));
    ASSERT_TRUE(writewholefile(datafile("annual_alerts.dat"), "12-24 - tree\n01-15 - car\n"));
    ASSERT_TRUE(writewholefile(datafile("weekly_alerts.dat"), "07:30 12345 - get up\n"));
    initfiles();
    setfileanswerer(answerchosenfile);
    chosenfile = home->home() + "/backup.txt";
    cb_export(NULL, NULL);
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_EQ(0u, dialogs[0].text.find("Ruvello - Exported 1 simple, 1 monthly, 2 annual and 1 weekly alarms")) << dialogs[0].text;

    for (const char* name :
         {"config.dat", "single_alerts.dat", "monthly_alerts.dat", "annual_alerts.dat", "weekly_alerts.dat"}) {
        ASSERT_TRUE(writewholefile(datafile(name), ""));
    }
    refreshsettings(NULL);
    refreshalertlists();
    EXPECT_EQ(0, annual_browser->size());

    std::string bad = home->home() + "/bad.txt";
    ASSERT_TRUE(writewholefile(bad, "not an export\n"));
    chosenfile = bad;
    cb_import(NULL, NULL);
    ASSERT_EQ(2u, dialogs.size());
    EXPECT_NE(std::string::npos, dialogs[1].text.find(bad + ", line 1: its first line is not")) << dialogs[1].text;
    chosenfile = "";
    cb_import(NULL, NULL);
    EXPECT_EQ(2u, dialogs.size());
    EXPECT_EQ("", readwholefile(datafile("annual_alerts.dat")));

    chosenfile = home->home() + "/backup.txt";
    answers = {2};  // "Replace all"
    cb_import(NULL, NULL);
    ASSERT_EQ(4u, dialogs.size());
    EXPECT_NE(std::string::npos, dialogs[2].text.find("holds 1 simple, 1 monthly, 2 annual and 1 weekly alarms"));
    EXPECT_NE(std::string::npos, dialogs[3].text.find("/.local/state/ruvello/before-import-")) << dialogs[3].text;
    EXPECT_EQ((std::vector<std::string>{"12-24 - tree", "01-15 - car"}), browserlines(annual_browser));
    EXPECT_EQ(std::vector<std::string>{"2031-05-06 07:08 - jo@example \"q\""}, browserlines(single_browser));
    EXPECT_EQ(21, annual_day_adv->value());
    EXPECT_EQ(6, monthly_day_adv->value());
    EXPECT_EQ(SOUNDNONE, reminder_sound->value());
    EXPECT_EQ((std::vector<std::string>{"21", "6", "0"}), datalinesof(readwholefile(datafile("config.dat"))));
    EXPECT_EQ(std::vector<std::string>{"05 - rent"}, datalinesof(readwholefile(datafile("monthly_alerts.dat"))));
    EXPECT_EQ(std::vector<std::string>{"07:30 12345 - get up"},
              datalinesof(readwholefile(datafile("weekly_alerts.dat"))));
}

// With alarms of every kind on their pages, an Import in the panel ("Add to
// mine" of a backup of the same alarms, then "Replace all" with it), then a
// Sort on every page: each list file holds each alarm once, as before.
TEST_F(PanelAndDisk, AnImportThenAChangeOnEveryPageKeepsEachAlarmOnce) {
    const std::pair<const char*, const char*> lists[] = {{"single_alerts.dat", "2031-05-06 07:08 - dentist"},
                                                         {"monthly_alerts.dat", "05 - rent"},
                                                         {"annual_alerts.dat", "12-24 - tree"},
                                                         {"weekly_alerts.dat", "07:30 12345 - get up"}};
    for (const auto& list : lists) ASSERT_TRUE(writewholefile(datafile(list.first), std::string(list.second) + "\n"));
    initfiles();
    std::string backup = home->home() + "/backup.txt";
    ASSERT_EQ(0, exportdata(backup.c_str(), std::vector<int>(ALARMKINDS).data(), std::vector<char>(PATHBUFSIZE).data()));
    setfileanswerer(answerchosenfile);
    chosenfile = backup;
    for (int answer : {1, 2}) {  // "Add to mine", then "Replace all"
        answers = {answer};
        cb_import(NULL, NULL);
        for (Fl_Callback* sort : {cb_sort_asc_single, cb_sort_asc_monthly, cb_sort_asc_annual, cb_sort_asc_weekly}) {
            sort(NULL, NULL);
        }
        for (const auto& list : lists) {
            EXPECT_EQ(std::vector<std::string>{list.second}, datalinesof(readwholefile(datafile(list.first))))
                << list.first << " after answer " << answer;
        }
    }
}

// The command line's --add, --remove and --list against an open panel: an
// accepted line is appended as Create appends it (twice when given twice)
// and the panel shows it at its next look at the disk; --remove takes the
// first equal line only; every refusal names the panel's own reason, writes
// nothing and gives status 1.
TEST_F(PanelAndDisk, TheCommandLineChangesTheListsAnOpenPanelShows) {
    std::string path = datafile("single_alerts.dat");
    ASSERT_TRUE(writewholefile(path, "# by hand\n2031-01-01 10:00 - kept\n"));
    initfiles();
    const char* added = "2031-05-06 07:08 - jo@example \"q\"";
    EXPECT_EQ(0, commandadd(added));
    EXPECT_EQ(0, commandadd(added));
    EXPECT_EQ(1, refreshalertlists());
    EXPECT_EQ((std::vector<std::string>{"2031-01-01 10:00 - kept", added, added}), browserlines(single_browser));
    EXPECT_EQ(listfilebytes("data file for simple alarms", {"2031-01-01 10:00 - kept", added, added}),
              masktimestamp(readwholefile(path)));
    EXPECT_EQ(0, commandremove(added));
    EXPECT_EQ((std::vector<std::string>{"2031-01-01 10:00 - kept", added}), datalinesof(readwholefile(path)));

    std::string before = readwholefile(path);
    const std::pair<std::string, std::string> refused[] = {
        {"2031-01-01 10:00 - ", "Cannot create a new alert. The message is empty."},
        {"05 - " + std::string(507, 'x'), "Cannot create a new alert. The message is too long."},
        {"02-30 - no such day", "Cannot create a new alert. The date does not exist."},
        {"2030-02-29 10:00 - not a leap year", "Cannot create a new alert. The date does not exist."},
        {"2001-01-01 10:00 - long ago", "Cannot create a new alert for the past.\nPlease provide a future time."},
        {"2031-01-01 10:00 - two\nlines", "is no alarm line: give a simple alarm \"YYYY-MM-DD HH:MM - message\""},
        {"24.12. - no layout", "is no alarm line"},
        {"07:30  - no day", "Cannot create a new alert. Please choose at least one day of the week."},
        {"07:30 13 - " + std::string(503, 'x'), "Cannot create a new alert. The message is too long."},
    };
    for (const auto& refusal : refused) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(1, commandadd(refusal.first.c_str())) << refusal.first;
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, said.find(refusal.second)) << refusal.first << ": " << said;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(1, commandremove("2031-01-01 10:00 - not there"));
    EXPECT_EQ("no such alarm\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ(before, readwholefile(path));

    ASSERT_TRUE(writewholefile(datafile("annual_alerts.dat"), "12-24 - tree\n# note\n01-15 - car\n"));
    EXPECT_EQ(0, commandadd("21:00 1234567 - pills"));
    EXPECT_EQ(0, commandadd("07:30 12345 - get up"));
    EXPECT_EQ(0, commandremove("21:00 1234567 - pills"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, commandlist());
    EXPECT_EQ("[simple alarms]\n2031-01-01 10:00 - kept\n" + std::string(added) +
                  "\n[monthly alarms]\n[annual alarms]\n12-24 - tree\n01-15 - car\n[weekly alarms]\n07:30 12345 - get up\n",
              testing::internal::GetCapturedStdout());
}
