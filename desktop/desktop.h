// Small pieces shared by the programs that show windows or dialogs.
//
// candisplay opens the X display once; the toolkit's dialogs end the process
// when there is none, so every dialog is shown only after it gave true.
// quoteforlabel doubles each '@' so that the toolkit shows a text as it is,
// not as a symbol. setwindowicon gives a window the system's icon.
#ifndef RUVELLO_DESKTOP_H
#define RUVELLO_DESKTOP_H

class Fl_Window;

bool candisplay();                                      // true when dialogs and windows can be shown
int quoteforlabel(const char* text, char* out, int outsize);  // 0: out holds text with '@' doubled; 1: out too small (out then empty)
void setwindowicon(Fl_Window* window);                   // gives window the system's icon (call before show)

#endif
