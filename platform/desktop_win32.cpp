// The desktop pieces on Windows.
#include "desktop.h"

#include "widetext.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <windows.h>

// Windows always has its desktop.
bool candisplay() { return true; }

void setwindowicon(Fl_Window* window) {
    // Resource 101 of the program's icon, linked in from resources/ruvello.rc.
    window->icon((const void*)LoadIconA(fl_display, MAKEINTRESOURCEA(101)));
}

// Windows has Arial itself, which the toolkit already uses.
bool usearialmetrics() { return false; }

void showerrorbox(const char* text) {
    Fl::check();
    // A path in the text is UTF-8; the wide call shows its letters as they are.
    wchar_t widetext[ERRORTEXTBUFSIZE];
    if (towide(text, widetext, ERRORTEXTBUFSIZE) == 0) MessageBoxW(NULL, widetext, L"Ruvello", MB_ICONERROR | MB_OK);
    else MessageBoxA(NULL, text, "Ruvello", MB_ICONERROR | MB_OK);
}

void keepabove(Fl_Window* window) { SetWindowPos(fl_xid(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }
