#include "reminder.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <windows.h>

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

void ignorefilesizesignal() {
    // Windows has no file-size signal: a write beyond a quota simply fails.
}
