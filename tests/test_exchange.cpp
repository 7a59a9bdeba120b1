// Export and import of all the data: the export file's round trip with lines
// that could be mangled, the checks that refuse a bad file, replacing and
// merging with the copy made first, and the writer that never replaces.
#include "datafiles.h"
#include "exchange.h"
#include "fileformats.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* vectorline(int index, void* context) { return (*(std::vector<std::string>*)context)[index].c_str(); }

struct lists {
    std::vector<std::string> single, monthly, annual, weekly;
};

void writedata(const scratchhome& home, int annual, int monthly, const lists& data) {
    std::string folder = home.datafolder();
    mkdir((home.home() + "/.fltk").c_str(), 0700);
    mkdir((home.home() + "/.fltk/ruvello").c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    ASSERT_EQ(0, writeconfigfile((folder + "config.dat").c_str(), annual, monthly, 1));
    std::vector<std::string> copy[4] = {data.single, data.monthly, data.annual, data.weekly};
    const char* names[4] = {"single_alerts.dat", "monthly_alerts.dat", "annual_alerts.dat", "weekly_alerts.dat"};
    for (int i = 0; i < 4; i++) {
        ASSERT_EQ(0, writealertlistfile((folder + names[i]).c_str(), "x", vectorline, (int)copy[i].size(), &copy[i]));
    }
}

// The data lines of a data file, as every reader of the system sees them.
std::vector<std::string> datalines(const std::string& path) {
    std::vector<std::string> lines;
    FILE* file = fopen(path.c_str(), "r");
    char line[LINEBUFSIZE];
    while (file != NULL && readonedataline(file, line)) lines.push_back(line);
    if (file != NULL) fclose(file);
    return lines;
}

std::vector<std::string> linesof(const textlines& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.count; i++) lines.push_back(lineat(&list, i));
    return lines;
}

std::string statefolder(const scratchhome& home) { return home.home() + "/.local/state/ruvello"; }

}  // namespace

// Lines a careless format would mangle: '@', quotes, a '#' and " - " inside a
// message, bytes that are no UTF-8, and lines of the full 511 characters.
TEST(Exchange, AnExportReadsBackByteForByteAlsoWithWindowsLineEnds) {
    scratchhome home;
    lists tricky;
    tricky.single = {"2027-01-02 03:04 - mail jo@example.org \"now\" # not a comment",
                     "2027-01-02 03:04 - " + std::string(492, '\xe9')};
    tricky.monthly = {"05 - rent - then \\ 'back' \t tab", "31 - " + std::string(506, '@')};
    tricky.annual = {"02-31 - no such day, kept", "12-24 - caf\xc3\xa9 \xff\xfe \x01 ~"};
    tricky.weekly = {"07:30 12345 - get up", "99:99 9 - made by hand, kept", "21:00 1234567 - pills"};
    writedata(home, 30, 0, tricky);
    std::string exported = home.home() + "/export.txt";
    int counts[ALARMKINDS];
    char failed[PATHBUFSIZE];
    ASSERT_EQ(0, exportdata(exported.c_str(), counts, failed));
    EXPECT_EQ(2, counts[KINDSINGLE]);
    EXPECT_EQ(3, counts[KINDWEEKLY]);
    // An export never takes the place of a data file.
    std::string annual = home.datafolder() + "annual_alerts.dat";
    std::string before = readwholefile(annual);
    EXPECT_EQ(1, exportdata(annual.c_str(), counts, failed));
    EXPECT_EQ(before, readwholefile(annual));

    std::string bytes = readwholefile(exported);
    EXPECT_EQ(0u, bytes.find("Ruvello export 2\n"));
    // The sections in the order of the data files, each list under its own.
    size_t previous = 0;
    for (const char* section : {"\n[settings]\n", "\n[simple alarms]\n2027-01-02 03:04 - mail", "\n[monthly alarms]\n05 - rent",
                                "\n[annual alarms]\n02-31 - no such day", "\n[weekly alarms]\n07:30 12345 - get up\n"}) {
        size_t at = bytes.find(section);
        EXPECT_NE(std::string::npos, at) << section;
        EXPECT_LT(previous, at) << section;
        previous = at == std::string::npos ? previous : at;
    }
    std::string crlf;
    for (char c : bytes) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string windows = home.home() + "/windows.txt";
    ASSERT_TRUE(writewholefile(windows, crlf));
    for (const std::string& path : {exported, windows}) {
        SCOPED_TRACE(path);
        alarmdata data;
        char problem[PROBLEMBUFSIZE];
        ASSERT_EQ(0, readexportfile(path.c_str(), &data, problem, sizeof problem)) << problem;
        EXPECT_EQ(30, data.annualadvance);
        EXPECT_EQ(0, data.monthlyadvance);
        EXPECT_EQ(tricky.single, linesof(data.lists[KINDSINGLE]));
        EXPECT_EQ(tricky.monthly, linesof(data.lists[KINDMONTHLY]));
        EXPECT_EQ(tricky.annual, linesof(data.lists[KINDANNUAL]));
        EXPECT_EQ(tricky.weekly, linesof(data.lists[KINDWEEKLY]));
        freealarmdata(&data);
    }
}

// Each kind of bad file is refused whole, naming the file, the line and what is wrong.
TEST(Exchange, ABadFileIsRefusedNamingItsLine) {
    scratchhome home;
    const std::string head = "Ruvello export 1\n[settings]\n7\n3\n[simple alarms]\n[monthly alarms]\n";
    struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"", ": it is empty"},
        {"Ruvello 2.0 - data file for annual alarms\n", ", line 1: its first line is not \"Ruvello export 2\""},
        {"Ruvello export 3\n", ", line 1: it is an export of format 3"},
        {head + "[annual alarms]\n[weekly alarms]\n", ", line 8: \"[weekly alarms]\" is no section"},
        {"Ruvello export 2\n[settings]\n[simple alarms]\n[monthly alarms]\n[annual alarms]\n",
         ": the file ends without the section [weekly alarms]"},
        {"Ruvello export 1\n05 - early\n", ", line 2: only comments may stand before the first section"},
        {head + "[annual alarms]\n[holidays]\n", ", line 8: \"[holidays]\" is no section"},
        {head + "[annual alarms]\n[simple alarms]\n", ", line 8: the section [simple alarms] comes a second time"},
        {head + "[annual alarms]\n 12-24 - indented\n", ", line 8: this line is neither an alarm"},
        {head + "[annual alarms]\n12-24 - " + std::string(504, 'x') + "\n", ", line 8: this line is 512 characters long"},
        {head + "[annual alarms]\n12-24 - a\rb\n", ", line 8: this line holds a carriage return"},
        {head + "[annual alarms]\n12-24 - a" + std::string(1, '\0') + "b\n", ", line 8: this line holds a zero byte"},
        {head, ": the file ends without the section [annual alarms]"},
    };
    for (auto& each : cases) {
        SCOPED_TRACE(each.expected);
        std::string path = home.home() + "/bad.txt";
        ASSERT_TRUE(writewholefile(path, each.bytes));
        alarmdata data;
        char problem[PROBLEMBUFSIZE];
        EXPECT_EQ(1, readexportfile(path.c_str(), &data, problem, sizeof problem));
        EXPECT_EQ(0u, std::string(problem).find(path + each.expected)) << problem;
    }
    // The settings are read as the panel reads the configuration file: other
    // lines are comments, values are clamped, a missing one is the default.
    std::string path = home.home() + "/settings.txt";
    ASSERT_TRUE(writewholefile(path, "Ruvello export 1\n[settings]\nannual: -3\n45 days\n[simple alarms]\n"
                                     "[monthly alarms]\n[annual alarms]\n12-24 - x"));
    alarmdata data;
    char problem[PROBLEMBUFSIZE];
    ASSERT_EQ(0, readexportfile(path.c_str(), &data, problem, sizeof problem)) << problem;
    EXPECT_EQ(30, data.annualadvance);
    EXPECT_EQ(3, data.monthlyadvance);
    EXPECT_EQ(std::vector<std::string>{"12-24 - x"}, linesof(data.lists[KINDANNUAL]));
    freealarmdata(&data);
}

// Replace takes the file's settings and lists; merge adds only the alarms a
// list lacks and keeps the settings. Each import first leaves a copy of the
// data under a name of its own, and importing that copy undoes the import.
// The sound is a setting too: kept by the merge, the default after replacing
// with a file that has none, and back with the undo.
TEST(Exchange, ReplaceAndMergeLeaveACopyThatUndoesThem) {
    scratchhome home;
    lists mine;
    mine.monthly = {"05 - rent", "05 - rent", "10 - water"};
    mine.annual = {"12-24 - tree"};
    mine.weekly = {"08:00 1 - stand-up"};
    writedata(home, 9, 2, mine);
    std::string folder = home.datafolder();
    ASSERT_EQ(0, writeconfigfile((folder + "config.dat").c_str(), 9, 2, 0));
    // A file of the format before weekly alarms: its weekly list is empty.

    std::string path = home.home() + "/theirs.txt";
    ASSERT_TRUE(writewholefile(path, "Ruvello export 1\n[settings]\n20\n5\n[simple alarms]\n"
                                     "2030-01-01 00:00 - new year\n[monthly alarms]\n10 - water\n"
                                     "07 - bins\n[annual alarms]\n"));
    alarmdata theirs;
    char problem[PROBLEMBUFSIZE];
    ASSERT_EQ(0, readexportfile(path.c_str(), &theirs, problem, sizeof problem)) << problem;
    importoutcome merged;
    ASSERT_EQ(IMPORTDONE, importdata(&theirs, true, &merged));
    EXPECT_EQ((std::vector<std::string>{"05 - rent", "05 - rent", "10 - water", "07 - bins"}),
              datalines(folder + "monthly_alerts.dat"));
    EXPECT_EQ(std::vector<std::string>{"12-24 - tree"}, datalines(folder + "annual_alerts.dat"));
    EXPECT_EQ(mine.weekly, datalines(folder + "weekly_alerts.dat"));
    EXPECT_EQ((std::vector<std::string>{"9", "2", "0"}), datalines(folder + "config.dat"));
    EXPECT_EQ(1, merged.added[KINDSINGLE]);
    EXPECT_EQ(1, merged.added[KINDMONTHLY]);

    importoutcome replaced;
    ASSERT_EQ(IMPORTDONE, importdata(&theirs, false, &replaced));
    freealarmdata(&theirs);
    EXPECT_EQ((std::vector<std::string>{"10 - water", "07 - bins"}), datalines(folder + "monthly_alerts.dat"));
    EXPECT_EQ(std::vector<std::string>{}, datalines(folder + "annual_alerts.dat"));
    EXPECT_EQ(std::vector<std::string>{}, datalines(folder + "weekly_alerts.dat"));
    EXPECT_EQ((std::vector<std::string>{"20", "5", "1"}), datalines(folder + "config.dat"));

    // Two imports within a second or two: two copies, neither overwritten.
    EXPECT_NE(std::string(merged.backup), std::string(replaced.backup));
    EXPECT_EQ(2u, folderentries(statefolder(home)).size());
    EXPECT_EQ(0u, std::string(merged.backup).find(statefolder(home) + "/before-import-"));

    alarmdata undo;
    ASSERT_EQ(0, readexportfile(merged.backup, &undo, problem, sizeof problem)) << problem;
    importoutcome undone;
    ASSERT_EQ(IMPORTDONE, importdata(&undo, false, &undone));
    freealarmdata(&undo);
    EXPECT_EQ(mine.monthly, datalines(folder + "monthly_alerts.dat"));
    EXPECT_EQ(mine.annual, datalines(folder + "annual_alerts.dat"));
    EXPECT_EQ(mine.weekly, datalines(folder + "weekly_alerts.dat"));
    EXPECT_EQ((std::vector<std::string>{"9", "2", "0"}), datalines(folder + "config.dat"));
}

// When the copy of the current data cannot be made, nothing changes.
TEST(Exchange, WithoutTheCopyNothingIsImported) {
    scratchhome home;
    lists mine;
    mine.annual = {"12-24 - tree"};
    writedata(home, 9, 2, mine);
    std::string annual = readwholefile(home.datafolder() + "annual_alerts.dat");
    // The state folder cannot be made below a regular file.
    std::string blocked = home.home() + "/blocked";
    ASSERT_TRUE(writewholefile(blocked, "x"));
    setenv("XDG_STATE_HOME", blocked.c_str(), 1);
    alarmdata empty;
    initalarmdata(&empty);
    importoutcome outcome;
    EXPECT_EQ(IMPORTNOBACKUP, importdata(&empty, false, &outcome));
    EXPECT_EQ(annual, readwholefile(home.datafolder() + "annual_alerts.dat"));
}

// The exclusive writer never replaces anything, not even a dangling link,
// and leaves no temporary file when it refuses.
TEST(Exchange, TheExclusiveWriterRefusesEveryTakenName) {
    scratchhome home;
    std::string folder = home.home() + "/new";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    std::vector<std::string> lines = {"one", "two"};
    std::string file = folder + "/copy.txt";
    ASSERT_EQ(0, writenewtextfile(file.c_str(), vectorline, 2, &lines));
    EXPECT_EQ("one\ntwo\n", readwholefile(file));
    std::vector<std::string> other = {"three"};
    EXPECT_EQ(TEXTFILEEXISTS, writenewtextfile(file.c_str(), vectorline, 1, &other));
    EXPECT_EQ("one\ntwo\n", readwholefile(file));
    std::string dangling = folder + "/dangling.txt";
    ASSERT_EQ(0, symlink((folder + "/nowhere").c_str(), dangling.c_str()));
    EXPECT_EQ(TEXTFILEEXISTS, writenewtextfile(dangling.c_str(), vectorline, 1, &other));
    EXPECT_EQ((std::vector<std::string>{"copy.txt", "dangling.txt"}), folderentries(folder));
}
