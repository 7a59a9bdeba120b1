// The data store on Windows: paths come in UTF-8 (from the toolkit, or the
// environment read wide) and may hold letters outside the ANSI code page and
// blanks; files are written with CR LF and read with either line end; a file
// that a reader has open is replaced as soon as the reader closes it, and a
// replacement that fails leaves the old file and no temporary one.
#include "datafiles.h"
#include "fileformats.h"
#include "statefolder.h"
#include "testsupport.h"
#include "windowsprofile.h"
#include "widetext.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

const char* linesof(int index, void* context) { return (*(std::vector<std::string>*)context)[index].c_str(); }

// The data lines of the file at path, as every reader of the system reads them.
std::vector<std::string> readdatalines(const std::string& path) {
    std::vector<std::string> lines;
    FILE* file = openforreading(path.c_str());
    if (file == NULL) return lines;
    char line[LINEBUFSIZE];
    while (readonedataline(file, line)) lines.push_back(line);
    fclose(file);
    return lines;
}

bool makefolder(const std::string& path) {
    wchar_t wide[PATHBUFSIZE];
    return towide(path.c_str(), wide, PATHBUFSIZE) == 0 && CreateDirectoryW(wide, NULL);
}

}  // namespace

TEST(WindowsFiles, AProfileWithLettersAndBlanksHoldsEveryFileWrittenWithCrLf) {
    accentedprofile user;
    char path[PATHBUFSIZE];
    ASSERT_EQ(0, getannualalertfilename(path));
    EXPECT_EQ(user.profile + "\\Roaming\\ruvello\\config\\annual_alerts.dat", path);
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, createifabsent(path));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ("", readwholefile(path));

    std::vector<std::string> lines = {"05-17 - Zo\xc3\xab's day", "12-24 - C:\\temp\\"};
    ASSERT_EQ(0, writealertlistfile(path, "data file for annual alarms", linesof, 2, &lines));
    std::string bytes = readwholefile(path);
    EXPECT_NE(std::string::npos, bytes.find("\r\n# alert list\r\n05-17 - Zo\xc3\xab's day\r\n12-24 - C:\\temp\\\r\n"));
    size_t bare = 0;
    for (size_t i = 0; i < bytes.size(); i++) bare += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    EXPECT_EQ(0u, bare) << "every line ends in CR LF";
    EXPECT_EQ(lines, readdatalines(path));
    EXPECT_EQ(std::vector<std::string>({"annual_alerts.dat"}), folderentries(user.profile + "\\Roaming\\ruvello\\config"));

    char statepath[PATHBUFSIZE];
    ASSERT_EQ(0, getstatefilename(statepath, "announced"));
    EXPECT_EQ(user.profile + "\\Local\\ruvello\\announced", statepath);
    ASSERT_EQ(0, writetextfile(statepath, linesof, 2, &lines));
    EXPECT_EQ(lines[0] + "\r\n" + lines[1] + "\r\n", readwholefile(statepath));
}

TEST(WindowsFiles, TextIsUtf8WhereItCanBeAndWindows1252WhereItCannot) {
    const int WIDESIZE = 16;
    wchar_t wide[WIDESIZE];
    // An old list written in Latin-1 beside UTF-8 letters: a byte that starts
    // no UTF-8 sequence is a Windows-1252 letter of its own.
    ASSERT_EQ(0, towide("caf\xe9 Zo\xc3\xab \x80 \xf0\x9f\x94\x94", wide, WIDESIZE));
    EXPECT_EQ(std::wstring(L"caf\u00e9 Zo\u00eb \u20ac \U0001F514"), std::wstring(wide));
    char back[32];
    ASSERT_EQ(0, fromwide(wide, back, sizeof back));
    EXPECT_STREQ("caf\xc3\xa9 Zo\xc3\xab \xe2\x82\xac \xf0\x9f\x94\x94", back);
    // The closing zero needs its room too, on either way and either path.
    EXPECT_EQ(1, towide("abcd", wide, 4));
    EXPECT_EQ(L'\0', wide[0]);
    EXPECT_EQ(1, towide("caf\xe9", wide, 4));
    EXPECT_EQ(0, towide("caf\xe9", wide, 5));
    EXPECT_EQ(1, fromwide(L"\u00e9\u00e9", back, 4));
    EXPECT_EQ('\0', back[0]);
}

TEST(WindowsFiles, LinesEndingInLfAloneOrCrLfReadTheSame) {
    scratchhome home;
    std::string path = home.home() + "\\lines.dat";
    ASSERT_TRUE(writewholefile(path, "# c\r\n05 - a\r\n\r\n06 - b\n07 - c"));
    EXPECT_EQ(std::vector<std::string>({"05 - a", "06 - b", "07 - c"}), readdatalines(path));
    // A folder is no data file.
    EXPECT_EQ(nullptr, openforreading(home.home().c_str()));
}

TEST(WindowsFiles, AListBeingReadIsReplacedOnceTheReaderHasClosedIt) {
    scratchhome home;
    std::string path = home.home() + "\\single_alerts.dat";
    ASSERT_TRUE(writewholefile(path, "2026-05-17 09:00 - old\r\n"));
    // The service may be reading the list at the moment the configurator saves it.
    FILE* reader = openforreading(path.c_str());
    ASSERT_NE(nullptr, reader);
    char line[LINEBUFSIZE];
    std::thread service([reader, &line]() {
        Sleep(300);
        readonedataline(reader, line);
        fclose(reader);
    });
    std::vector<std::string> lines = {"2026-05-17 09:00 - new"};
    EXPECT_EQ(0, writealertlistfile(path.c_str(), "data file for simple alarms", linesof, 1, &lines));
    service.join();
    EXPECT_STREQ("2026-05-17 09:00 - old", line);
    EXPECT_EQ(lines, readdatalines(path));
    EXPECT_EQ(std::vector<std::string>({"single_alerts.dat"}), folderentries(home.home()));
}

TEST(WindowsFiles, AReplacementThatFailsLeavesTheOldFileAndNoTemporary) {
    scratchhome home;
    std::string path = home.home() + "\\monthly_alerts.dat";
    ASSERT_TRUE(writewholefile(path, "05 - old\r\n"));
    std::vector<std::string> lines = {"06 - new"};
    // Another program holds the file open without letting it be replaced.
    wchar_t wide[PATHBUFSIZE];
    ASSERT_EQ(0, towide(path.c_str(), wide, PATHBUFSIZE));
    HANDLE holder = CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(1, writealertlistfile(path.c_str(), "data file for monthly alarms", linesof, 1, &lines));
    CloseHandle(holder);
    EXPECT_EQ("05 - old\r\n", readwholefile(path));
    // A folder in the file's place cannot be replaced either.
    std::string folder = home.home() + "\\config.dat";
    ASSERT_TRUE(makefolder(folder));
    EXPECT_EQ(1, writeconfigfile(folder.c_str(), 7, 3, 1));
    EXPECT_EQ(std::vector<std::string>({"config.dat", "monthly_alerts.dat"}), folderentries(home.home()));
}
