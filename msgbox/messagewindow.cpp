#include "messagewindow.h"

#include "desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

Fl_Text_Display* message_text = NULL;
Fl_Button* message_ok = NULL;

namespace {

// The window is as wide as this and as tall as the wrapped line needs, within limits.
const int WINDOWWIDTH = 460;
const int TEXTSIZE = 16;
const int LEASTTEXTHEIGHT = 60;
const int MOSTTEXTHEIGHT = 420;
const int MARGIN = 15;
const int BUTTONWIDTH = 90;
const int BUTTONHEIGHT = 28;

void cb_ok_message(Fl_Widget* widget, void*) { widget->window()->hide(); }

// The height of the text display that shows all of its text, wrapped as the
// display itself wraps it (at spaces, and inside a word wider than a line),
// within the limits. It is asked of the display, set to its final width,
// because a measure that breaks only at spaces would give a long word (a web
// address, say) one line, and the display would then hide the rest of it
// behind a scroll bar.
int textheight(Fl_Text_Display* display) {
    int lines = display->count_lines(0, display->buffer()->length(), true) + 1;
    fl_font(display->textfont(), display->textsize());
    int height = (lines + 1) * fl_height() + 8;
    if (height < LEASTTEXTHEIGHT) height = LEASTTEXTHEIGHT;
    if (height > MOSTTEXTHEIGHT) height = MOSTTEXTHEIGHT;
    return height;
}

}  // namespace

Fl_Window* buildmessagewindow(const char* line) {
    // Built at the greatest height first; both shrink once the wrapped text is known.
    Fl_Window* window = new Fl_Window(WINDOWWIDTH, MOSTTEXTHEIGHT + 3 * MARGIN + BUTTONHEIGHT, "Ruvello");
    // A text display, not a label: it shows '@' and every other character as
    // they are and wraps even a long word at the window's edge.
    Fl_Text_Buffer* buffer = new Fl_Text_Buffer();
    buffer->text(line);
    message_text = new Fl_Text_Display(MARGIN, MARGIN, WINDOWWIDTH - 2 * MARGIN, MOSTTEXTHEIGHT);
    // The font first: the display wraps with the metrics it has when it gets the text.
    message_text->textfont(FL_HELVETICA);
    message_text->textsize(TEXTSIZE);
    message_text->box(FL_FLAT_BOX);
    message_text->color(window->color());
    message_text->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    message_text->buffer(buffer);
    int height = textheight(message_text);
    message_text->size(message_text->w(), height);
    window->size(WINDOWWIDTH, height + 3 * MARGIN + BUTTONHEIGHT);
    message_ok = new Fl_Return_Button((WINDOWWIDTH - BUTTONWIDTH) / 2, height + 2 * MARGIN,
                                      BUTTONWIDTH, BUTTONHEIGHT, "OK");
    message_ok->callback(cb_ok_message);
    window->end();
    // The button has the focus, so Enter presses it; Escape runs the window's
    // own callback, which hides it as well.
    window->focus(message_ok);
    setwindowicon(window);
    return window;
}

void showabove(Fl_Window* window) {
    window->show();
    keepabove(window);
}
