// What the desktop pieces of both systems share: the doubling of '@', and
// the desktop's scale and the scaling of widgets.
#include "desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser_.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Menu_.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>
#include <cctype>
#include <cmath>
#include <cstdlib>

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

namespace {

// The number a setting's text holds, or 0 when it holds none (or one that is
// not positive): blanks around it are allowed, anything else is not.
double positivenumber(const char* text) {
    if (text == NULL) return 0;
    char* end = NULL;
    double value = strtod(text, &end);
    if (end == text) return 0;
    while (isspace((unsigned char)*end)) end++;
    if (*end != '\0' || !std::isfinite(value) || value <= 0) return 0;
    return value;
}

}  // namespace

double scalefromsettings(const char* xftdpi, const char* gdkscale) {
    double dpi = positivenumber(xftdpi);
    if (dpi > 0) return limitscale(dpi / REFERENCEDPI);
    return limitscale(positivenumber(gdkscale));
}

double limitscale(double scale) {
    if (!std::isfinite(scale) || scale < 1) return 1;
    return scale > MOSTSCALE ? MOSTSCALE : scale;
}

int scaled(int value, double scale) { return (int)floor(value * scale + 0.5); }

void scaletoolkit(double scale) {
    FL_NORMAL_SIZE = scaled(TOOLKITNORMALSIZE, scale);
    Fl::scrollbar_size(scaled(TOOLKITSCROLLBARSIZE, scale));
}

int unscalednormalsize() {
    int inuse = FL_NORMAL_SIZE;
    FL_NORMAL_SIZE = TOOLKITNORMALSIZE;
    return inuse;
}

void restorenormalsize(int size) { FL_NORMAL_SIZE = size; }

namespace {

// The widgets of a tree, the root first and each group before its children.
int countwidgets(Fl_Widget* widget) {
    int count = 1;
    Fl_Group* group = widget->as_group();
    for (int i = 0; group != NULL && i < group->children(); i++) count += countwidgets(group->child(i));
    return count;
}

// Each widget's x, y, w and h as built, in the order countwidgets counts them.
void recordgeometry(Fl_Widget* widget, int* geometry, int* at) {
    int* own = geometry + 4 * (*at)++;
    own[0] = widget->x();
    own[1] = widget->y();
    own[2] = widget->w();
    own[3] = widget->h();
    Fl_Group* group = widget->as_group();
    for (int i = 0; group != NULL && i < group->children(); i++) recordgeometry(group->child(i), geometry, at);
}

// The text sizes the toolkit keeps apart from the label size. A spinner's
// text size is its input field's, a child of its own, so it is not named.
void scaletextsize(Fl_Widget* widget, double scale) {
    if (Fl_Input_* input = dynamic_cast<Fl_Input_*>(widget)) input->textsize(scaled(input->textsize(), scale));
    if (Fl_Browser_* browser = dynamic_cast<Fl_Browser_*>(widget)) {
        browser->textsize(scaled(browser->textsize(), scale));
    }
    if (Fl_Menu_* menu = dynamic_cast<Fl_Menu_*>(widget)) menu->textsize(scaled(menu->textsize(), scale));
    if (Fl_Text_Display* display = dynamic_cast<Fl_Text_Display*>(widget)) {
        display->textsize(scaled(display->textsize(), scale));
    }
}

// Gives every widget, parents first, its scaled geometry through its own
// resize, so that a widget that lays out its parts (a spinner, a browser,
// a text display) does so at its new size; its children, moved by that, are
// then set to their own scaled geometry in turn.
void applygeometry(Fl_Widget* widget, bool root, const int* geometry, int* at, double scale) {
    const int* own = geometry + 4 * (*at)++;
    int left = scaled(own[0], scale);
    int top = scaled(own[1], scale);
    int width = scaled(own[0] + own[2], scale) - left;
    int height = scaled(own[1] + own[3], scale) - top;
    // A window's position is on the screen, which is not scaled.
    if (root && widget->as_window() != NULL) {
        left = own[0];
        top = own[1];
        width = scaled(own[2], scale);
        height = scaled(own[3], scale);
    }
    // The sizes first: a text display lays out its text as it is resized.
    widget->labelsize(scaled(widget->labelsize(), scale));
    scaletextsize(widget, scale);
    widget->resize(left, top, width, height);
    Fl_Group* group = widget->as_group();
    if (group == NULL) return;
    for (int i = 0; i < group->children(); i++) applygeometry(group->child(i), false, geometry, at, scale);
    // A group keeps its children's sizes from its first resize, for the next
    // one; those were the sizes at scale 1.
    group->init_sizes();
}

}  // namespace

int scalewidgettree(Fl_Widget* root, double scale) {
    // Exactly as built, without a single call that could change a pixel.
    if (scale == 1) return 0;
    int count = countwidgets(root);
    int* geometry = (int*)malloc(sizeof(int) * 4 * (size_t)count);
    if (geometry == NULL) return 1;
    int at = 0;
    recordgeometry(root, geometry, &at);
    at = 0;
    applygeometry(root, true, geometry, &at, scale);
    free(geometry);
    return 0;
}
