#include "desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <cstring>

#ifdef _WIN32
#include <FL/x.H>
#else
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>
#include "../resources/ruvello32.xpm"
#include <cstdlib>
#include <unistd.h>

namespace {

// Tries to reach the display server before deciding that there is none.
const int DISPLAYATTEMPTS = 5;
const int DISPLAYRETRYMICROSECONDS = 200000;

}  // namespace
#endif

bool candisplay() {
#ifdef _WIN32
    return true;
#else
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
#endif
}

int quoteforlabel(const char* text, char* out, int outsize) {
    int used = 0;
    for (const char* c = text; *c != '\0'; c++) {
        int need = *c == '@' ? 2 : 1;
        if (used + need >= outsize) {
            if (outsize > 0) out[0] = '\0';
            return 1;
        }
        out[used++] = *c;
        if (*c == '@') out[used++] = '@';
    }
    if (outsize <= 0) return 1;
    out[used] = '\0';
    return 0;
}

void setwindowicon(Fl_Window* window) {
#ifdef _WIN32
    // Resource 101 of the program's icon, linked in from resources/ruvello.rc.
    window->icon((const void*)LoadIconA(fl_display, MAKEINTRESOURCEA(101)));
#else
    static Fl_Pixmap pixmap(ruvello32_xpm);
    static Fl_RGB_Image image(&pixmap, FL_GRAY);
    window->icon(&image);
#endif
}

bool usearialmetrics() {
#ifdef _WIN32
    // Windows has Arial itself, which the toolkit already uses.
    return false;
#else
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
#endif
}
