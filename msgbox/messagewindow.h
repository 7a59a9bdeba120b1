// The window of ruvellomsgbox, titled "Ruvello": one alarm's message, large,
// when it is due under it, and the whole line as given, smaller, so that
// nothing the user wrote is hidden; a line that follows no layout is shown
// once, as it stands. Below them the reminder can be put off ("Remind me
// again" with a choice of delays and a Snooze button, Alt+S) or closed (OK).
//
// buildmessagewindow makes the window (not shown yet) at the desktop's scale,
// which main reads once (readdesktopscale, after scaletoolkit); showabove
// (platform/desktop.h) shows it. No key and no click acts on the window
// until it has held the keyboard focus for INPUTGUARDSECONDS, counted afresh
// each time it gets the focus, so keys typed for another window and a click
// aimed at one never dismiss it unseen. Then Enter presses the button that
// has the focus (OK at first), Escape closes the window as OK does, and Tab
// moves between the controls. Snooze adds the alarm to the list of simple
// alarms and closes the window once the list is written; when the list
// cannot be written, the window says so and stays open.
#ifndef RUVELLO_MESSAGEWINDOW_H
#define RUVELLO_MESSAGEWINDOW_H

class Fl_Window;
class Fl_Text_Display;
class Fl_Button;
class Fl_Box;
class Fl_Choice;

const double INPUTGUARDSECONDS = 1.5;

extern Fl_Text_Display* message_text;   // the message, wrapped, '@' and all shown as they are
extern Fl_Box* message_when;            // when it is due; hidden when that is not known
extern Fl_Text_Display* message_line;   // the whole line, smaller; hidden for a line of no layout
extern Fl_Choice* message_delay;        // how long to put it off
extern Fl_Button* message_snooze;       // puts it off
extern Fl_Box* message_status;          // why a snooze failed; empty until one did
extern Fl_Button* message_ok;           // closes the window

// The window for line (copied), with the when-text when (empty: not known):
// 500 pixels wide at scale 1, every length and font multiplied by scale
// (desktop.h), the texts wrapped at their scaled fonts.
Fl_Window* buildmessagewindow(const char* line, const char* when, double scale);
bool acceptsinput(const Fl_Window* window);  // true once the window held the focus long enough

#endif
