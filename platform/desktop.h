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
//
// The toolkit draws in device pixels, so on a screen that the desktop scales
// each program scales its windows itself. Every program that draws reads the
// desktop's scale once at start with readdesktopscale (on X11 it opens the
// display through candisplay) and hands it to what builds its windows and
// dialogs: scaletoolkit first, before any dialog or window is built, then
// setwindowicon. A window laid out in the geometry of scale 1 is scaled as a
// whole by scalewidgettree once built (the configuration panel); one whose
// layout depends on its text, wrapped at the scaled font, is built with its
// sizes passed through scaled (the reminder window). At scale 1 each of
// them leaves everything exactly as built.
#ifndef RUVELLO_DESKTOP_H
#define RUVELLO_DESKTOP_H

class Fl_Widget;
class Fl_Window;

// The screen resolution of scale 1, on X11 (Xft.dpi) and Windows alike.
const double REFERENCEDPI = 96;
// The largest scale taken: desktops offer no more, and a mistyped resolution
// must not make windows wider than the window system's 16-bit coordinates.
const double MOSTSCALE = 4;
// The toolkit's own label size and scroll-bar width at scale 1.
const int TOOLKITNORMALSIZE = 14;
const int TOOLKITSCROLLBARSIZE = 16;

bool candisplay();                                      // true when dialogs and windows can be shown
int quoteforlabel(const char* text, char* out, int outsize);  // 0: out holds text with '@' doubled; 1: out too small (out then empty)
void setwindowicon(Fl_Window* window, double scale);     // gives window the system's icon, from a large picture above scale 1 (call before show)
bool usearialmetrics();                                  // true when Liberation Sans now draws Helvetica
void showabove(Fl_Window* window);                       // shows a reminder window on top, not focused, asking for attention
void noticedreminder(Fl_Window* window);                 // the user turned to the window: no more attention asked

double readdesktopscale();  // the desktop's scale, 1 to MOSTSCALE: X11's Xft.dpi, else GDK_SCALE; Windows' system DPI; 1 without a display
// The scale X11's settings ask for: Xft.dpi (its resource's text, NULL when
// absent) over REFERENCEDPI, else GDK_SCALE (the variable's text, NULL when
// unset), else 1; a text that is no positive number counts as absent.
double scalefromsettings(const char* xftdpi, const char* gdkscale);
double limitscale(double scale);            // scale within 1 and MOSTSCALE; 1 for what is no number
int scaled(int value, double scale);        // value times scale, rounded to the nearest whole pixel
// Scales the toolkit's own sizes: the normal label size, which its dialogs'
// buttons and text take when the first dialog is built and every widget
// built afterwards without a size of its own, the tooltips' size, and the
// scroll bars' width.
void scaletoolkit(double scale);
// While widgets laid out for scale 1 are built, the toolkit's normal size is
// its size at scale 1: unscalednormalsize sets it so and gives the size in
// use, which restorenormalsize then puts back.
int unscalednormalsize();
void restorenormalsize(int size);
// Multiplies every position, size, label size and text size of root's tree
// by scale, root's own screen position aside. Each widget's edges are
// scaled, not its width, so widgets that touch or keep apart at scale 1 still
// do. The tree must have been built at scale 1 (sizes it does not give take
// TOOLKITNORMALSIZE). 0: done; 1: no memory for it, the tree stays as built.
int scalewidgettree(Fl_Widget* root, double scale);

#endif
