// The window of ruvellomsgbox: one alarm line, shown exactly as given and
// wrapped to the window, with an OK button. buildmessagewindow makes the
// window (not shown yet); showabove shows it raised above other windows.
// Enter and Escape close it as the OK button does.
#ifndef RUVELLO_MESSAGEWINDOW_H
#define RUVELLO_MESSAGEWINDOW_H

class Fl_Window;
class Fl_Text_Display;
class Fl_Button;

extern Fl_Text_Display* message_text;   // the line, wrapped, '@' and all shown as they are
extern Fl_Button* message_ok;           // closes the window; Enter presses it

Fl_Window* buildmessagewindow(const char* line);   // the window titled "Ruvello" holding line
void showabove(Fl_Window* window);                 // shows window on top of the others

#endif
