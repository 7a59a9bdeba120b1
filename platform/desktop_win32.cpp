// The desktop pieces on Windows.
#include "desktop.h"

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

namespace {

// Flashes of the task-bar button: until the window comes to the foreground.
const UINT FLASHCOUNT = 0;

}  // namespace

void showabove(Fl_Window* window) {
    // The toolkit shows a new window activated, which would take the keyboard
    // from the window the user types in. Made minimized instead, which never
    // activates it, it is then restored in place without activation.
    window->iconize();
    HWND handle = fl_xid(window);
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FLASHWINFO flash = {};
    flash.cbSize = sizeof flash;
    flash.hwnd = handle;
    flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
    flash.uCount = FLASHCOUNT;
    FlashWindowEx(&flash);
}

void noticedreminder(Fl_Window*) {
    // The flashing ends by itself when the window comes to the foreground.
}
