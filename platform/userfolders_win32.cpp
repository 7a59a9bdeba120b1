// Where the user's folders are on Windows.
#include "userfolders.h"

#include "widetext.h"

#include <cstdlib>

const char* homefolder() {
    const char* home = getenv("USERPROFILE");
    return home != NULL && home[0] != '\0' ? home : NULL;
}

bool datafolderneedshome() { return false; }

bool statebasefolder(char* base, int basesize) {
    // In UTF-8: the toolkit and our file calls take UTF-8, and a profile name
    // outside the ANSI code page must survive.
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == NULL || local[0] == L'\0') return false;
    return fromwide(local, base, basesize) == 0;
}
