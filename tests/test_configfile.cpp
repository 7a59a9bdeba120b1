// The configuration file's number reader and its two sources of data lines.
#include "configfile.h"
#include "datafiles.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

TEST(ConfigFile, NumbersTakeBlanksASignAndLeadingDigitsAndStopGrowingAtTheCap) {
    EXPECT_EQ(5, readdecimal("05"));
    EXPECT_EQ(5, readdecimal(" 5 "));
    EXPECT_EQ(-3, readdecimal("-3"));
    EXPECT_EQ(7, readdecimal("+7x"));
    EXPECT_EQ(0, readdecimal("x1"));
    EXPECT_EQ(0, readdecimal(""));
    EXPECT_EQ(1000000, readdecimal("123456789012345678901234567890"));
    EXPECT_EQ(-1000000, readdecimal("-123456789012345678901234567890"));
}

// An import hands over lines already in memory: they must give the panel the
// same values as the same text read from the file, long lines included.
TEST(ConfigFile, LinesInMemoryReadAsTheSameTextFromAFile) {
    std::string longline = std::string(LINEBUFSIZE - 1, '9') + "4 more";
    std::vector<std::vector<std::string>> texts = {
        {},
        {"# comment", "12 days", "", " 3", "5\r"},
        {longline, "6"},
        {"2" + std::string(LINEBUFSIZE - 2, 'x'), "8", "1"},
        {"\r7", "-1", "0"},
    };
    scratchhome home;
    std::string path = home.home() + "/config.dat";
    for (const auto& lines : texts) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        SCOPED_TRACE(text);
        ASSERT_TRUE(writewholefile(path, text));
        FILE* file = fopen(path.c_str(), "r");
        ASSERT_NE(nullptr, file);
        advancevalues fromfile;
        readpanelconfig(&fromfile, filedatalines, file);
        fclose(file);

        std::vector<const char*> pointers;
        for (const std::string& line : lines) pointers.push_back(line.c_str());
        linelist list = {pointers.data(), (int)pointers.size(), 0, 0};
        advancevalues fromlist;
        readpanelconfig(&fromlist, listdatalines, &list);
        EXPECT_EQ(fromfile.annual, fromlist.annual);
        EXPECT_EQ(fromfile.monthly, fromlist.monthly);
        EXPECT_EQ(fromfile.sound, fromlist.sound);
    }
}

// The sound is the third data line. A file of an older panel has none, and a
// line of any other value must give a sound, not silence; the service reads
// the same file and must not take the third line for a fault of its own.
TEST(ConfigFile, TheSoundIsTheThirdDataLineAndAnyOtherValueGivesTheDefault) {
    struct {
        std::vector<const char*> lines;
        int sound;
    } cases[] = {
        {{"7", "3", "0"}, SOUNDNONE},
        {{"7", "3", "# comment", "", "2\r"}, SOUNDREPEAT},
        {{"7", "3"}, DEFAULTSOUND},
        {{"7", "3", "3"}, DEFAULTSOUND},
        {{"7", "3", "00x"}, SOUNDNONE},
        {{"7", "3", "-0"}, DEFAULTSOUND},
        {{"7", "3", "12"}, DEFAULTSOUND},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.lines.back());
        linelist list = {each.lines.data(), (int)each.lines.size(), 0, 0};
        advancevalues values;
        readpanelconfig(&values, listdatalines, &list);
        EXPECT_EQ(each.sound, values.sound);
        linelist again = {each.lines.data(), (int)each.lines.size(), 0, 0};
        EXPECT_EQ(0, readserviceconfig(&values, listdatalines, &again));
        EXPECT_EQ(3, values.monthly);
    }
}
