// The system's own error box, for a fatal error of any of the three programs.
//
// showerrorbox shows text in a box titled "Ruvello" and returns when the user
// closed it. On Linux it is the toolkit's alert, shown only when a display can
// be opened (without one it returns at once: standard error carries the text
// then); on Windows it is MessageBoxW, which needs no toolkit at all, so the
// service links no window code there. errorbox_posix.cpp and
// errorbox_win32.cpp are the two sides.
#ifndef RUVELLO_ERRORBOX_H
#define RUVELLO_ERRORBOX_H

// Room for the longest text an error box shows, a fatal message with a long path included.
const int ERRORTEXTBUFSIZE = 1024;

void showerrorbox(const char* text);  // titled "Ruvello"; returns when the box is closed, at once without a display

#endif
