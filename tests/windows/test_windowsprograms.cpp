// The shipped Windows programs as a person starts them, on Windows itself
// (CTest in the Windows workflow; they need FLTK's library, which only a
// Windows build has). Each test works in a profile of its own whose name holds
// letters outside the ANSI code page (windowsprofile.h), so the user's own
// data folder is never touched. Windows are found by their process and title
// and closed with the message the window manager's close button sends; every
// wait polls for the event with a generous deadline.
#include "datafiles.h"
#include "testsupport.h"
#include "userfolders.h"
#include "widetext.h"
#include "windowsprofile.h"

#include <FL/Fl_Preferences.H>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

const DWORD DEADLINEMILLISECONDS = 60000;
const DWORD POLLMILLISECONDS = 200;
const wchar_t PANELTITLE[] = L"Ruvello 2.0 beta - Configuration Panel";

std::wstring widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    if (towide(text.c_str(), &wide[0], (int)wide.size()) != 0) return std::wstring();
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// A program of the build started with arguments (UTF-8, quoted as given),
// its standard output and error going to files.
struct started {
    PROCESS_INFORMATION process = {};
    std::string output;
    std::string errors;
    bool ok = false;

    started(const std::string& program, const std::string& arguments, const std::string& folder) {
        output = folder + "\\out.txt";
        errors = folder + "\\err.txt";
        SECURITY_ATTRIBUTES inherited = {sizeof inherited, NULL, TRUE};
        HANDLE out = CreateFileW(widen(output).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, NULL);
        HANDLE err = CreateFileW(widen(errors).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, NULL);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = err;
        std::wstring line = L"\"" + widen(std::string(RUVELLO_PROGRAMFOLDER) + "/" + program) + L"\" " + widen(arguments);
        ok = CreateProcessW(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process) != 0;
        CloseHandle(out);
        CloseHandle(err);
    }
    ~started() {
        if (!ok) return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, DEADLINEMILLISECONDS);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // The exit status, or -1 when the program still ran at the deadline.
    int status() {
        if (WaitForSingleObject(process.hProcess, DEADLINEMILLISECONDS) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return (int)code;
    }
    bool running() { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
};

struct windowsearch {
    DWORD processid;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK matchwindow(HWND window, LPARAM context) {
    windowsearch* search = (windowsearch*)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[256];
    if (owner == search->processid && IsWindowVisible(window) && GetWindowTextW(window, title, 256) > 0 &&
        wcscmp(title, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible window of the program titled title, once it shows; NULL at the deadline.
HWND waitforwindow(started& program, const wchar_t* title) {
    for (DWORD waited = 0; waited < DEADLINEMILLISECONDS && program.running(); waited += POLLMILLISECONDS) {
        windowsearch search = {program.process.dwProcessId, title, NULL};
        EnumWindows(matchwindow, (LPARAM)&search);
        if (search.found != NULL) return search.found;
        Sleep(POLLMILLISECONDS);
    }
    return NULL;
}

bool datafilesmade(const std::string& folder) {
    for (int number = 0; number < DATAFILES; number++) {
        if (!fileexists(folder + DATAFILETABLE[number].name)) return false;
    }
    return true;
}

}  // namespace

TEST(WindowsPrograms, TheDataFolderIsTheToolkitsUserDataFolderInAProfileWithAccents) {
    accentedprofile user;
    char ours[PATHBUFSIZE];
    ASSERT_TRUE(userdatafolder(ours, sizeof ours));
    char toolkits[PATHBUFSIZE] = "";
    {
        Fl_Preferences preferences(Fl_Preferences::USER, "ruvello", "config");
        preferences.getUserdataPath(toolkits, sizeof toolkits);
    }
    EXPECT_STREQ(toolkits, ours);
    std::string expected = user.profile + "\\Roaming\\ruvello\\config\\";
    for (char& c : expected) c = c == '\\' ? '/' : c;
    EXPECT_EQ(expected, ours);
}

TEST(WindowsPrograms, TheMessageBoxShowsItsReminderAndRefusesAWrongCall) {
    accentedprofile user;
    std::string folder = makescratchfolder();
    {
        started usage("ruvellomsgbox.exe", "", folder);
        ASSERT_TRUE(usage.ok);
        EXPECT_EQ(2, usage.status());
        EXPECT_NE(std::string::npos, readwholefile(usage.errors).find("usage: ruvellomsgbox \"alarm line\""));
    }
    started box("ruvellomsgbox.exe", "\"2026-12-24 18:05 - Zo\xc3\xab's tree \xe2\x82\xac 100%\"", folder);
    ASSERT_TRUE(box.ok);
    EXPECT_NE(nullptr, waitforwindow(box, L"Ruvello")) << "no reminder window appeared";
    EXPECT_TRUE(box.running()) << "the reminder ended by itself";
}

TEST(WindowsPrograms, ThePanelCreatesTheDataFilesRefusesASecondCopyAndClosesWithStatusZero) {
    accentedprofile user;
    std::string data = user.profile + "\\Roaming\\ruvello\\config\\";
    std::string folder = makescratchfolder();
    started panel("ruvelloconfig.exe", "", folder);
    ASSERT_TRUE(panel.ok);
    HWND window = waitforwindow(panel, PANELTITLE);
    ASSERT_NE(nullptr, window) << "no panel window appeared";
    EXPECT_TRUE(datafilesmade(data)) << "the panel shows before its data files exist";
    std::string secondfolder = makescratchfolder();
    {
        // The second copy says so in an alert, closed as a person would.
        started second("ruvelloconfig.exe", "", secondfolder);
        ASSERT_TRUE(second.ok);
        HWND alert = waitforwindow(second, L"Ruvello");
        ASSERT_NE(nullptr, alert) << "the second copy showed no alert";
        PostMessageW(alert, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, second.status());
    }
    EXPECT_TRUE(panel.running());
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, panel.status());
}

TEST(WindowsPrograms, ThePanelsCommandLineCarriesLettersOutsideTheCodePage) {
    accentedprofile user;
    std::string data = user.profile + "\\Roaming\\ruvello\\config\\";
    const std::string line = "07:30 12345 - caf\xc3\xa9 \xc5\xbelu\xc5\xa5";
    std::string quoted = "\"" + line + "\"";
    {
        started add("ruvelloconfig.exe", "--add " + quoted, makescratchfolder());
        ASSERT_TRUE(add.ok);
        EXPECT_EQ(0, add.status()) << readwholefile(add.errors);
    }
    EXPECT_NE(std::string::npos, readwholefile(data + "weekly_alerts.dat").find(line + "\r\n"));
    {
        started list("ruvelloconfig.exe", "--list", makescratchfolder());
        ASSERT_TRUE(list.ok);
        EXPECT_EQ(0, list.status());
        EXPECT_NE(std::string::npos, readwholefile(list.output).find(line));
    }
    {
        started remove("ruvelloconfig.exe", "--remove " + quoted, makescratchfolder());
        ASSERT_TRUE(remove.ok);
        EXPECT_EQ(0, remove.status()) << readwholefile(remove.errors);
    }
    started again("ruvelloconfig.exe", "--remove " + quoted, makescratchfolder());
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(1, again.status());
    EXPECT_EQ(std::string::npos, readwholefile(data + "weekly_alerts.dat").find(line));
}
