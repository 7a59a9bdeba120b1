// The desktop pieces on Windows.
#include "desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <windows.h>

// Windows always has its desktop.
bool candisplay() { return true; }

void setwindowicon(Fl_Window* window, double) {
    // Resource 101 of the program's icon, linked in from resources/ruvello.rc.
    // The program is DPI aware (its manifest), so the system loads the icon at
    // the size of its DPI, from the picture of the icon file nearest to it
    // (the file holds them up to 256 pixels): the scale needs nothing here.
    window->icon((const void*)LoadIconA(fl_display, MAKEINTRESOURCEA(101)));
}

double readdesktopscale() {
    // The system DPI at start: the manifest declares the programs aware of it,
    // and of it alone, since the toolkit does not follow a window to a
    // monitor of another DPI.
    HDC screen = GetDC(NULL);
    if (screen == NULL) return 1;
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(NULL, screen);
    return limitscale(dpi / REFERENCEDPI);
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
