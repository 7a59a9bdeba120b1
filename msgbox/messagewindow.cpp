#include "messagewindow.h"

#include "alarmlines.h"
#include "datafiles.h"
#include "desktop.h"
#include "snooze.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

Fl_Text_Display* message_text = NULL;
Fl_Box* message_when = NULL;
Fl_Text_Display* message_line = NULL;
Fl_Choice* message_delay = NULL;
Fl_Button* message_snooze = NULL;
Fl_Box* message_status = NULL;
Fl_Button* message_ok = NULL;

namespace {

// The window's geometry at scale 1; each length is multiplied by the
// desktop's scale as the window is built, so that its texts wrap at their
// scaled fonts. The window is as wide as this and as tall as its wrapped
// texts need, within limits.
const int WINDOWWIDTH = 500;
const int MARGIN = 15;
const int GAP = 6;
const int MESSAGESIZE = 20;
const int LEASTMESSAGEHEIGHT = 40;
const int MOSTMESSAGEHEIGHT = 420;
const int WHENSIZE = 15;
const int WHENHEIGHT = 22;
const int LINESIZE = 12;
const int LEASTLINEHEIGHT = 20;
const int MOSTLINEHEIGHT = 240;
const int CONTROLSIZE = 14;
const int CONTROLHEIGHT = 28;
const int DELAYLABELWIDTH = 118;
const int DELAYWIDTH = 170;
const int BUTTONWIDTH = 80;
const int STATUSSIZE = 12;
const int STATUSHEIGHT = 32;

// What the window says when a snooze failed; the reminder stays on screen.
const char NOTLOCKEDSTATUS[] = "Not snoozed: another program kept the alarm lists busy. Try again.";
const char NOTREADSTATUS[] = "Not snoozed: the list of simple alarms could not be read.";
const char NOTWRITTENSTATUS[] = "Not snoozed: the list of simple alarms could not be written (is the disk full?).";

// The reminder's window: the line it shows, kept for a snooze, and whether
// keys and clicks act on it yet.
class reminderwindow : public Fl_Window {
public:
    reminderwindow(int width, int height, const char* text) : Fl_Window(width, height, "Ruvello") {
        size_t length = strlen(text) + 1;
        line = (char*)malloc(length);
        if (line != NULL) memcpy(line, text, length);
    }
    ~reminderwindow() { free(line); }
    char* line = NULL;
    bool ready = false;
};

// A button that Enter presses while it has the focus, as Space does; Enter
// reaches no other button, so it never acts on a button the user did not choose.
class focusbutton : public Fl_Button {
public:
    focusbutton(int x, int y, int width, int height, const char* label) : Fl_Button(x, y, width, height, label) {}
    int handle(int event) override {
        if (event == FL_KEYBOARD && Fl::focus() == this &&
            (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter) &&
            !(Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META))) {
            do_callback();
            return 1;
        }
        return Fl_Button::handle(event);
    }
};

void cb_ready_message(void* window) { ((reminderwindow*)window)->ready = true; }

// Every event reaches the toolkit through here. The reminder's window starts
// deaf to keys and clicks; it hears them once it has held the focus for
// INPUTGUARDSECONDS, and goes deaf again whenever it loses the focus. The
// focus events seen here are the window system's own, not moves between
// the window's controls.
int guardinput(int event, Fl_Window* window) {
    reminderwindow* box = dynamic_cast<reminderwindow*>(window);
    if (box == NULL) return Fl::handle_(event, window);
    switch (event) {
    case FL_FOCUS:
        Fl::remove_timeout(cb_ready_message, box);
        box->ready = false;
        Fl::add_timeout(INPUTGUARDSECONDS, cb_ready_message, box);
        noticedreminder(box);
        break;
    case FL_UNFOCUS:
    case FL_HIDE:
        Fl::remove_timeout(cb_ready_message, box);
        box->ready = false;
        break;
    case FL_KEYBOARD:
    case FL_KEYUP:
    case FL_SHORTCUT:
    case FL_PUSH:
    case FL_RELEASE:
    case FL_DRAG:
    case FL_MOUSEWHEEL:
    case FL_CLOSE:
        // The window manager's close button is a click too.
        if (!box->ready) return 1;
        break;
    default:
        break;
    }
    return Fl::handle_(event, window);
}

void cb_ok_message(Fl_Widget* widget, void*) { widget->window()->hide(); }

void cb_snooze_message(Fl_Widget* widget, void*) {
    reminderwindow* box = (reminderwindow*)widget->window();
    char path[PATHBUFSIZE];
    int result = box->line == NULL ? LISTNOTWRITTEN
                                   : snoozereminder(box->line, message_delay->value(), (long long)time(NULL), path);
    const char* status = NULL;
    switch (result) {
    case LISTCHANGED:
        box->hide();
        return;
    case LISTNOTLOCKED:
        status = NOTLOCKEDSTATUS;
        break;
    case LISTNOTREAD:
        status = NOTREADSTATUS;
        break;
    default:
        status = NOTWRITTENSTATUS;
        break;
    }
    // The standard error keeps the path, for a session log; the window the reason.
    fprintf(stderr, "Ruvello: %s %s\n", status, path);
    message_status->label(status);
    message_status->redraw();
}

// The height of the text display that shows all of its text, wrapped as the
// display itself wraps it (at spaces, and inside a word wider than a line),
// within the limits. It is asked of the display, set to its final width,
// because a measure that breaks only at spaces would give a long word (a web
// address, say) one line, and the display would then hide the rest of it
// behind a scroll bar.
int textheight(Fl_Text_Display* display, int least, int most) {
    int lines = display->count_lines(0, display->buffer()->length(), true) + 1;
    fl_font(display->textfont(), display->textsize());
    int height = (lines + 1) * fl_height() + 8;
    if (height < least) height = least;
    if (height > most) height = most;
    return height;
}

// A text display of text at y, as tall as its wrapped text needs within the
// limits. A text display, not a label: it shows '@' and every other
// character as they are and wraps even a long word at the window's edge.
// Sizes and limits are scaled already.
Fl_Text_Display* maketext(const char* text, int y, int size, int least, int most, Fl_Color background, double scale) {
    Fl_Text_Buffer* buffer = new Fl_Text_Buffer();
    buffer->text(text);
    int left = scaled(MARGIN, scale);
    Fl_Text_Display* display = new Fl_Text_Display(left, y, scaled(WINDOWWIDTH - MARGIN, scale) - left, most);
    // The font first: the display wraps with the metrics it has when it gets the text.
    display->textfont(FL_HELVETICA);
    display->textsize(size);
    display->box(FL_FLAT_BOX);
    display->color(background);
    display->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    // Only the buttons and the choice take the focus, so Tab moves between them.
    display->clear_visible_focus();
    display->buffer(buffer);
    display->size(display->w(), textheight(display, least, most));
    return display;
}

// The controls, built first so that Tab visits them in this order; OK, the
// first, has the focus when the window gets it. They are put in their row
// once the texts above them are laid out.
// Across the row each edge is scaled, so that the gaps between the controls
// stay as they are at scale 1, at most a pixel apart.
void buildcontrols(double scale) {
    int height = scaled(CONTROLHEIGHT, scale);
    int size = scaled(CONTROLSIZE, scale);
    int okleft = scaled(WINDOWWIDTH - MARGIN - BUTTONWIDTH, scale);
    message_ok = new focusbutton(okleft, 0, scaled(WINDOWWIDTH - MARGIN, scale) - okleft, height, "OK");
    message_ok->callback(cb_ok_message);
    message_ok->labelsize(size);
    int delayleft = scaled(MARGIN + DELAYLABELWIDTH, scale);
    int delayright = scaled(MARGIN + DELAYLABELWIDTH + DELAYWIDTH, scale);
    message_delay = new Fl_Choice(delayleft, 0, delayright - delayleft, height, "Remind me again");
    message_delay->labelsize(size);
    message_delay->textsize(size);
    for (int choice = 0; choice < SNOOZECHOICES; choice++) {
        // Added as items with no shortcut or submenu, whatever their text.
        message_delay->add(snoozelabel(choice), 0, NULL, NULL, 0);
    }
    message_delay->value(DEFAULTSNOOZE);
    int snoozeleft = scaled(MARGIN + DELAYLABELWIDTH + DELAYWIDTH + GAP, scale);
    int snoozeright = scaled(MARGIN + DELAYLABELWIDTH + DELAYWIDTH + GAP + BUTTONWIDTH, scale);
    message_snooze = new focusbutton(snoozeleft, 0, snoozeright - snoozeleft, height, "Snooze");
    message_snooze->labelsize(size);
    // Alt+S, not a plain "s" (which an '&' in the label would also take), so
    // that typing meant for another window never snoozes it.
    message_snooze->shortcut(FL_ALT + 's');
    message_snooze->tooltip("Alt+S");
    message_snooze->callback(cb_snooze_message);
}

}  // namespace

Fl_Window* buildmessagewindow(const char* line, const char* when, double scale) {
    Fl::event_dispatch(guardinput);
    alarmline read;
    readalarmline(line, &read);
    bool whole = read.layout == LAYOUTNONE;
    int margin = scaled(MARGIN, scale);
    int gap = scaled(GAP, scale);
    int width = scaled(WINDOWWIDTH, scale);
    int textwidth = scaled(WINDOWWIDTH - MARGIN, scale) - margin;
    int mostmessage = scaled(MOSTMESSAGEHEIGHT, scale);
    int mostline = scaled(MOSTLINEHEIGHT, scale);
    // Built at the greatest height first; it shrinks once the wrapped texts are known.
    reminderwindow* window = new reminderwindow(width, mostmessage + mostline + scaled(200, scale), line);
    buildcontrols(scale);
    int y = margin;
    message_text = maketext(read.message, y, scaled(MESSAGESIZE, scale), scaled(LEASTMESSAGEHEIGHT, scale),
                            mostmessage, window->color(), scale);
    y += message_text->h() + gap;
    int whenheight = scaled(WHENHEIGHT, scale);
    message_when = new Fl_Box(margin, y, textwidth, whenheight);
    message_when->copy_label(when);
    message_when->labelsize(scaled(WHENSIZE, scale));
    message_when->labelfont(FL_HELVETICA_BOLD);
    message_when->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    if (when[0] == '\0') message_when->hide();
    else y += whenheight + gap;
    message_line = maketext(line, y, scaled(LINESIZE, scale), scaled(LEASTLINEHEIGHT, scale), mostline,
                            window->color(), scale);
    message_line->textcolor(FL_DARK3);
    if (whole) message_line->hide();
    else y += message_line->h() + gap;

    y += gap;
    message_ok->position(message_ok->x(), y);
    message_delay->position(message_delay->x(), y);
    message_snooze->position(message_snooze->x(), y);
    y += scaled(CONTROLHEIGHT, scale) + gap;
    int statusheight = scaled(STATUSHEIGHT, scale);
    message_status = new Fl_Box(margin, y, textwidth, statusheight);
    message_status->labelsize(scaled(STATUSSIZE, scale));
    message_status->labelcolor(FL_DARK_RED);
    message_status->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_TOP);
    y += statusheight + margin;
    window->end();
    // Not resizable: the controls keep their places as the window shrinks to its content.
    window->resizable(NULL);
    window->size(width, y);
    setwindowicon(window, scale);
    return window;
}

bool acceptsinput(const Fl_Window* window) {
    const reminderwindow* box = dynamic_cast<const reminderwindow*>(window);
    return box != NULL && box->ready;
}
