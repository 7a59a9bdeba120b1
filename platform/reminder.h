// What the reminder's box asks of the window system, which differs between
// X11 and Windows. reminder_posix.cpp holds the X11 side, reminder_win32.cpp
// the Windows one; the build picks one of them.
//
// showabove shows a built window above the other windows without taking the
// keyboard focus from the window the user works in, asks the task bar to
// draw attention to it and, where the system has virtual desktops, shows it
// on every one of them. Once the user turned to it (the window got the
// focus), noticedreminder lets that attention go. ignorefilesizesignal, at
// start-up, makes a write beyond a file-size limit fail instead of ending
// the program.
#ifndef RUVELLO_PLATFORM_REMINDER_H
#define RUVELLO_PLATFORM_REMINDER_H

class Fl_Window;

void showabove(Fl_Window* window);
void noticedreminder(Fl_Window* window);
void ignorefilesizesignal();

#endif
