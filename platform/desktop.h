// Small pieces shared by the programs that show windows or dialogs.
//
// candisplay opens the X display once; the toolkit's dialogs end the process
// when there is none, so every dialog is shown only after it gave true.
// quoteforlabel doubles each '@' so that the toolkit shows a text as it is,
// not as a symbol. setwindowicon gives a window the system's icon.
// usearialmetrics, called before any window is built, draws the toolkit's
// Helvetica faces in Liberation Sans where it is installed: the windows'
// geometry was drawn for Arial, whose widths Liberation Sans shares, and the
// toolkit's default sans font is wider, so labels would be cut.
// showabove shows a built reminder window above the other windows without
// taking the keyboard focus from the window the user works in, asks the task
// bar to draw attention to it and, where the system has virtual desktops,
// shows it on every one of them; once the user turned to it (the window got
// the focus), noticedreminder lets that attention go. desktop.cpp holds what both systems share; desktop_posix.cpp (X11)
// and desktop_win32.cpp are the two sides.
#ifndef RUVELLO_DESKTOP_H
#define RUVELLO_DESKTOP_H

class Fl_Window;

bool candisplay();                                      // true when dialogs and windows can be shown
int quoteforlabel(const char* text, char* out, int outsize);  // 0: out holds text with '@' doubled; 1: out too small (out then empty)
void setwindowicon(Fl_Window* window);                   // gives window the system's icon (call before show)
bool usearialmetrics();                                  // true when Liberation Sans now draws Helvetica
void showabove(Fl_Window* window);                       // shows a reminder window on top, not focused, asking for attention
void noticedreminder(Fl_Window* window);                 // the user turned to the window: no more attention asked

#endif
