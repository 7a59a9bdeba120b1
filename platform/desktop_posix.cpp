// The desktop pieces on Linux: the X display, the window manager and font
// matching.
#include "desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_PNG_Image.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>
#include "../resources/ruvello32.xpm"
// RUVELLO256PNG, the bytes of resources/ruvello256.png, written by the build.
#include "ruvello256png.h"
#include <cstdio>
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

void setwindowicon(Fl_Window* window, double scale) {
    // Above scale 1 the desktop draws the icon larger too: from the 256-pixel
    // picture it scales down, where the 32-pixel one would show its pixels.
    if (scale > 1) {
        static Fl_PNG_Image large("ruvello256.png", RUVELLO256PNG, (int)sizeof RUVELLO256PNG);
        if (large.w() > 0 && large.d() > 0) {
            window->icon(&large);
            return;
        }
    }
    static Fl_Pixmap pixmap(ruvello32_xpm);
    static Fl_RGB_Image image(&pixmap, FL_GRAY);
    window->icon(&image);
}

double readdesktopscale() {
    if (!candisplay()) return 1;
    // The resources the desktop loaded into the server (xrdb), as the
    // display was opened; Xft.dpi is the one the desktops set for X11 programs.
    const char* resources = XResourceManagerString(fl_display);
    char xftdpi[64] = "";
    bool found = false;
    if (resources != NULL) {
        XrmInitialize();
        XrmDatabase database = XrmGetStringDatabase(resources);
        char* type = NULL;
        XrmValue value = {0, NULL};
        if (database != NULL && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != NULL) {
            snprintf(xftdpi, sizeof xftdpi, "%s", value.addr);
            found = true;
        }
        if (database != NULL) XrmDestroyDatabase(database);
    }
    return scalefromsettings(found ? xftdpi : NULL, getenv("GDK_SCALE"));
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

namespace {

// The _NET_WM_DESKTOP value that stands for every desktop.
const unsigned long ALLDESKTOPS = 0xFFFFFFFFUL;
// Actions of a _NET_WM_STATE message.
const long STATEREMOVE = 0;
const long STATEADD = 1;
// The source of a _NET_WM_STATE message: a normal application.
const long FROMAPPLICATION = 1;

Atom atom(const char* name) { return XInternAtom(fl_display, name, False); }

// Asks the window manager to add or remove two states of a managed window.
void changestates(Window xid, long action, Atom first, Atom second) {
    Atom state = atom("_NET_WM_STATE");
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = action;
    event.xclient.data.l[1] = (long)first;
    event.xclient.data.l[2] = (long)second;
    event.xclient.data.l[3] = FROMAPPLICATION;
    XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void seturgency(Window xid, bool urgent) {
    XWMHints* hints = XGetWMHints(fl_display, xid);
    XWMHints fresh = {};
    XWMHints* used = hints != NULL ? hints : &fresh;
    if (urgent) used->flags |= XUrgencyHint;
    else used->flags &= ~XUrgencyHint;
    XSetWMHints(fl_display, xid, used);
    if (hints != NULL) XFree(hints);
}

}  // namespace

void showabove(Fl_Window* window) {
    // The toolkit maps the window inside show(). The properties set right
    // after it go out with the map, before anything flushes the display, and
    // so reach the window manager before it manages the window: a user time
    // of 0 asks it, as the window-manager hints define, not to give the new
    // window the focus, so the keys the user types stay with the window they
    // were meant for. Every atom is looked up before the show, because each
    // look-up waits for the server's answer and would send the map alone.
    fl_open_display();
    Atom usertime = atom("_NET_WM_USER_TIME");
    Atom state = atom("_NET_WM_STATE");
    Atom above = atom("_NET_WM_STATE_ABOVE");
    Atom attention = atom("_NET_WM_STATE_DEMANDS_ATTENTION");
    Atom desktop = atom("_NET_WM_DESKTOP");
    window->show();
    Window xid = fl_xid(window);
    long never = 0;
    XChangeProperty(fl_display, xid, usertime, XA_CARDINAL, 32, PropModeReplace, (unsigned char*)&never, 1);
    Atom states[2] = {above, attention};
    XChangeProperty(fl_display, xid, state, XA_ATOM, 32, PropModeReplace, (unsigned char*)states, 2);
    unsigned long everydesktop = ALLDESKTOPS;
    XChangeProperty(fl_display, xid, desktop, XA_CARDINAL, 32, PropModeReplace, (unsigned char*)&everydesktop, 1);
    // The urgency hint is what task bars flash (its reading waits for the server).
    seturgency(xid, true);
    // A window manager that managed the window already takes the states as a
    // request; without a window manager the raise alone keeps it on top.
    changestates(xid, STATEADD, above, attention);
    XRaiseWindow(fl_display, xid);
    XFlush(fl_display);
}

void noticedreminder(Fl_Window* window) {
    if (!window->shown()) return;
    Window xid = fl_xid(window);
    seturgency(xid, false);
    changestates(xid, STATEREMOVE, atom("_NET_WM_STATE_DEMANDS_ATTENTION"), None);
    XFlush(fl_display);
}
