// The error box on Windows: the system's own, with no toolkit behind it.
#include "errorbox.h"

#include "widetext.h"

#include <windows.h>

void showerrorbox(const char* text) {
    // A path in the text is UTF-8; the wide call shows its letters as they are.
    wchar_t widetext[ERRORTEXTBUFSIZE];
    if (towide(text, widetext, ERRORTEXTBUFSIZE) == 0) MessageBoxW(NULL, widetext, L"Ruvello", MB_ICONERROR | MB_OK);
    else MessageBoxA(NULL, text, "Ruvello", MB_ICONERROR | MB_OK);
}
