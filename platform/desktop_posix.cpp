// The desktop pieces on Linux: the X display, the window manager and font
// matching.
#include "desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>
#include "../resources/ruvello32.xpm"
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// Tries to reach the display server before deciding that there is none.
const int DISPLAYATTEMPTS = 5;
const int DISPLAYRETRYMICROSECONDS = 200000;

}  // namespace

bool candisplay() {
    // 0 not tried yet, 1 a display is open, -1 none can be opened.
    static int state = 0;
    if (state == 0) {
        if (fl_display != NULL) {
            state = 1;
        } else {
            Display* display = XOpenDisplay(NULL);
            // A server that is busy (a session still starting, many clients
            // connecting at once) may refuse a connection for a moment.
            const char* name = getenv("DISPLAY");
            for (int attempt = 1; display == NULL && name != NULL && name[0] != '\0' && attempt < DISPLAYATTEMPTS;
                 attempt++) {
                usleep(DISPLAYRETRYMICROSECONDS);
                display = XOpenDisplay(NULL);
            }
            if (display != NULL) {
                fl_open_display(display);
                state = 1;
            } else {
                state = -1;
            }
        }
    }
    return state == 1;
}

void setwindowicon(Fl_Window* window) {
    static Fl_Pixmap pixmap(ruvello32_xpm);
    static Fl_RGB_Image image(&pixmap, FL_GRAY);
    window->icon(&image);
}

bool usearialmetrics() {
    // Font matching always finds some font; Liberation Sans is installed only
    // when the match for its own name is that family.
    const char family[] = "Liberation Sans";
    if (!FcInit()) return false;
    FcPattern* pattern = FcNameParse((const FcChar8*)family);
    if (pattern == NULL) return false;
    FcConfigSubstitute(NULL, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(NULL, pattern, &result);
    FcChar8* found = NULL;
    bool installed = match != NULL && FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
                     strcasecmp((const char*)found, family) == 0;
    if (match != NULL) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    if (!installed) return false;
    // The toolkit's names for its Xft faces: the first character gives the
    // style (' ' plain, 'B' bold, 'I' italic, 'P' bold italic).
    Fl::set_font(FL_HELVETICA, " Liberation Sans");
    Fl::set_font(FL_HELVETICA_BOLD, "BLiberation Sans");
    Fl::set_font(FL_HELVETICA_ITALIC, "ILiberation Sans");
    Fl::set_font(FL_HELVETICA_BOLD_ITALIC, "PLiberation Sans");
    return true;
}

void showerrorbox(const char* text) {
    // Without a display the toolkit's dialog would end the process with its
    // own message; standard error already carries the text then.
    if (!candisplay()) return;
    Fl::check();
    // A path may hold '@', which the toolkit would read as a symbol.
    char label[2 * ERRORTEXTBUFSIZE + 1];
    if (quoteforlabel(text, label, sizeof label) != 0) return;
    fl_message_title("Ruvello");
    fl_alert("%s", label);
}

void keepabove(Fl_Window* window) {
    // Ask the window manager to keep the reminder above other windows, then
    // raise it; without a window manager the raise alone does it.
    Window xid = fl_xid(window);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = XInternAtom(fl_display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // add the state
    event.xclient.data.l[1] = (long)XInternAtom(fl_display, "_NET_WM_STATE_ABOVE", False);
    event.xclient.data.l[3] = 1;  // asked by a normal application
    XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XRaiseWindow(fl_display, xid);
    XFlush(fl_display);
}
