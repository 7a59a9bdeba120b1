// Starting programs and reading the command line on Windows. Every text is
// UTF-8 in the program and UTF-16 at the wide calls (widetext.h), so every
// letter of a line or a path arrives as it was typed.
#include "programs.h"

#include "fileaccess.h"
#include "widetext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>
#include <shellapi.h>

const char MSGBOXPROGRAM[] = "ruvellomsgbox.exe";
const char LAUNCHFAILUREMESSAGE[] =
    "Ruvello cannot run \"ruvellomsgbox.exe\"\n\n  Fatal error: the application is quitting.";
// The shell takes the whole parameter text; the quotes keep the line one argument.
const bool ARGUMENTQUOTED = true;

namespace {

// Room for the running executable's path as Windows gives it, in UTF-16 units.
const int MODULEPATHSIZE = 1024;

// Starts program (a full path, or a bare name for the shell's own search) with
// the parameter text. Both are UTF-8 and go to the shell as UTF-16, so every
// letter of the line arrives as it was typed. True when the shell started it.
bool shellstart(const char* program, const char* parameters) {
    wchar_t wideprogram[PROGRAMPATHSIZE];
    wchar_t wideparameters[ARGUMENTBUFSIZE];
    if (towide(program, wideprogram, PROGRAMPATHSIZE) != 0) return false;
    if (towide(parameters, wideparameters, ARGUMENTBUFSIZE) != 0) return false;
    return (INT_PTR)ShellExecuteW(NULL, NULL, wideprogram, wideparameters, NULL, SW_SHOWNORMAL) > 32;
}

// True when a file (not a folder) stands at the UTF-8 path.
bool fileisthere(const char* path) {
    wchar_t widepath[PROGRAMPATHSIZE];
    if (towide(path, widepath, PROGRAMPATHSIZE) != 0) return false;
    DWORD attributes = GetFileAttributesW(widepath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

// Windows keeps no zombies: a started program that ends is gone.
void preparelaunching() {}

bool startprogram(const char* folder, const char* name, const char* argument, const char* setting) {
    // The shell gives the started program the service's own environment:
    // setting goes there first (each start replaces the one before).
    if (setting != NULL) {
        char variable[ARGUMENTBUFSIZE];
        int written = snprintf(variable, sizeof variable, "%s", setting);
        char* equals = written > 0 && written < (int)sizeof variable ? strchr(variable, '=') : NULL;
        if (equals == NULL) return false;
        *equals = '\0';
        wchar_t widename[ARGUMENTBUFSIZE];
        wchar_t widevalue[ARGUMENTBUFSIZE];
        if (towide(variable, widename, ARGUMENTBUFSIZE) != 0 || towide(equals + 1, widevalue, ARGUMENTBUFSIZE) != 0 ||
            !SetEnvironmentVariableW(widename, widevalue)) {
            return false;
        }
    }
    if (folder != NULL && folder[0] != '\0') {
        char path[PROGRAMPATHSIZE];
        int written = snprintf(path, sizeof path, "%s%c%s", folder, FOLDERSEPARATOR, name);
        bool fits = written > 0 && written < (int)sizeof path;
        // Only a copy that is there is handed to the shell, which would
        // otherwise report the missing file; the bare name is searched for next.
        if (fits && fileisthere(path) && shellstart(path, argument)) return true;
    }
    return shellstart(name, argument);
}

bool ownfolder(char* folder, int size) {
    wchar_t module[MODULEPATHSIZE];
    DWORD length = GetModuleFileNameW(NULL, module, MODULEPATHSIZE);
    // A path that fills the buffer was cut short.
    if (length == 0 || length >= (DWORD)MODULEPATHSIZE) return false;
    wchar_t* slash = wcsrchr(module, L'\\');
    if (slash == NULL) return false;
    *slash = L'\0';
    return fromwide(module, folder, size) == 0;
}

// Windows has no signal for a file-size limit.
void ignorefilesizesignal() {}

int utf8arguments(int, char**, char*** arguments) {
    // The narrow arguments would lose every character outside the system's
    // code page: the wide command line keeps them all.
    *arguments = NULL;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == NULL) return 0;
    char** converted = (char**)calloc((size_t)count + 1, sizeof(char*));
    bool complete = converted != NULL;
    for (int i = 0; complete && i < count; i++) {
        // A UTF-16 unit never takes more than three bytes of UTF-8.
        int size = 3 * (int)wcslen(wide[i]) + 1;
        converted[i] = (char*)malloc((size_t)size);
        complete = converted[i] != NULL && fromwide(wide[i], converted[i], size) == 0;
    }
    LocalFree(wide);
    if (!complete) {
        for (int i = 0; converted != NULL && i < count; i++) free(converted[i]);
        free(converted);
        return 0;
    }
    *arguments = converted;
    return count;
}

void useparentconsole() {
    // A program without a console of its own writes to its parent's, unless
    // its output has been redirected to a file or pipe already.
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if ((error == NULL || error == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        freopen("CONOUT$", "w", stderr);
        freopen("CONOUT$", "w", stdout);
    }
}
