// The configurator's three kinds of dialog, in one place.
//
// Every alert, question and fatal message of the configurator goes through
// these functions, the fatal file error included. They show the toolkit's own dialogs (fl_alert, fl_choice,
// fl_message) with the text doubled at each '@', so that a text is shown as it
// is and never read as a symbol. A test installs a dialog answerer, which is
// then asked instead of the toolkit and gives the button a person would press.
#ifndef RUVELLO_DIALOGS_H
#define RUVELLO_DIALOGS_H

// What a dialog is, for a dialog answerer.
const int DIALOGALERT = 0;     // fl_alert: one button, the answer is ignored
const int DIALOGCHOICE = 1;    // fl_choice: the answer is the button number, 0 to 2
const int DIALOGMESSAGE = 2;   // fl_message: one button, the answer is ignored

// Gives the answer to a dialog of kind showing text (as the toolkit would show
// it, after formatting and with '@' doubled).
typedef int (*dialoganswerer)(int kind, const char* text);

// Gives the file a person would choose in a file dialog: 0 with the file's
// path in path (pathsize bytes), 1 for Cancel. proposed: the path offered.
typedef int (*fileanswerer)(bool saving, const char* proposed, char* path, int pathsize);

void setdialoganswerer(dialoganswerer answerer);  // NULL puts the toolkit's dialogs back
void setfileanswerer(fileanswerer answerer);      // NULL puts the file dialog back
// Shows the system's file dialog (the toolkit's own where there is none) for
// saving or opening, title in its title bar, offering proposed (a full path
// for saving, a folder for opening). 0: path holds the chosen file; 1: cancelled.
int choosefile(bool saving, const char* title, const char* proposed, char* path, int pathsize);
void showalert(const char* text);                 // fl_alert with text
int askchoice(const char* question, const char* button0, const char* button1, const char* button2);  // fl_choice: the button pressed
void showproductmessage(const char* text);        // fl_message("%s - %s", "Ruvello", text)
// The fatal file error: the message on standard error and, when a display can
// be opened, in a dialog; then the program ends with status 1 (the command
// line's own, without a dialog, is printfilefatalerror, commandline.h).
[[noreturn]] void displayfilefatalerrorandexit(const char* path);

#endif
