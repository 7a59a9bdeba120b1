// Where the user's folders are on Windows.
#include "userfolders.h"

#include "widetext.h"

#include <cstdlib>
#include <cstring>
#include <windows.h>

namespace {

// Room for the AppData folder in UTF-16, and for it once its variables are expanded.
const int WIDEFOLDERSIZE = 1024;
const wchar_t SHELLFOLDERSKEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char FOLDERENDING[] = "ruvello/config/";

// The AppData value of the user's Shell Folders key, in UTF-16; false when it is missing.
bool appdatafolder(wchar_t* folder, int size) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SHELLFOLDERSKEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    wchar_t value[WIDEFOLDERSIZE];
    DWORD type = 0;
    // One unit is kept for the closing zero, which the stored value may lack.
    DWORD bytes = (DWORD)(sizeof value - sizeof value[0]);
    LONG result = RegQueryValueExW(key, L"AppData", NULL, &type, (BYTE*)value, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    value[bytes / sizeof value[0]] = L'\0';
    if (type == REG_SZ) {
        if (wcslen(value) >= (size_t)size) return false;
        wcscpy(folder, value);
        return true;
    }
    DWORD needed = ExpandEnvironmentStringsW(value, folder, (DWORD)size);
    return needed != 0 && needed <= (DWORD)size;
}

// Creates folder (UTF-8, '/' between its parts) unless it is there already.
bool makefolder(const char* folder) {
    wchar_t widefolder[WIDEFOLDERSIZE];
    if (towide(folder, widefolder, WIDEFOLDERSIZE) != 0) return false;
    return CreateDirectoryW(widefolder, NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

const char* homefolder() {
    const char* home = getenv("USERPROFILE");
    return home != NULL && home[0] != '\0' ? home : NULL;
}

bool datafolderneedshome() { return false; }

bool userdatafolder(char* folder, int size) {
    if (size <= 0) return false;
    folder[0] = '\0';
    wchar_t appdata[WIDEFOLDERSIZE];
    if (!appdatafolder(appdata, WIDEFOLDERSIZE) || appdata[0] == L'\0') return false;
    if (fromwide(appdata, folder, size) != 0) return false;
    for (char* c = folder; *c != '\0'; c++) {
        if (*c == '\\') *c = '/';
    }
    size_t length = strlen(folder);
    while (length > 0 && folder[length - 1] == '/') folder[--length] = '\0';
    if (length + 1 + strlen(FOLDERENDING) >= (size_t)size) {
        folder[0] = '\0';
        return false;
    }
    // The vendor's folder first, then the program's, each created when missing.
    strcat(folder, "/ruvello");
    bool made = makefolder(folder);
    strcat(folder, "/config");
    made = made && makefolder(folder);
    strcat(folder, "/");
    return made;
}

bool statebasefolder(char* base, int basesize) {
    // In UTF-8: our file calls take UTF-8, and a profile name outside the
    // ANSI code page must survive.
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == NULL || local[0] == L'\0') return false;
    return fromwide(local, base, basesize) == 0;
}

const char* runtimefolder() { return NULL; }
