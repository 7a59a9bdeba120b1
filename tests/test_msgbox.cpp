#include <gtest/gtest.h>

#include "datafiles.h"
#include "desktop.h"
#include "messagewindow.h"
#include "testsupport.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// The program keeps its one window until it ends; a test deletes it, and the
// text buffers, which the displays do not own.
void discard(Fl_Window* window) {
    Fl_Text_Buffer* message = message_text->buffer();
    Fl_Text_Buffer* line = message_line->buffer();
    delete window;
    delete message;
    delete line;
}

// Runs the event loop for at least seconds of real time.
void runfor(double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) Fl::wait(0.05);
}

// Waits until the window takes input, at most seconds; true when it does.
bool waitforinput(Fl_Window* window, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!acceptsinput(window) && std::chrono::steady_clock::now() < end) Fl::wait(0.05);
    return acceptsinput(window);
}

// A key as the window system delivers it: to the window, with modifiers state.
int press(Fl_Window* window, int key, int state = 0) {
    Fl::e_keysym = key;
    Fl::e_state = state;
    char text[2] = {(char)(key < 128 ? key : 0), '\0'};
    Fl::e_text = text;
    Fl::e_length = (int)strlen(text);
    int handled = Fl::handle(FL_KEYBOARD, window);
    Fl::e_state = 0;
    return handled;
}

// The window as the window system gives it the focus, or takes it away.
void givefocus(Fl_Window* window) { Fl::handle(FL_FOCUS, window); }
void takefocus(Fl_Window* window) { Fl::handle(FL_UNFOCUS, window); }

// The characters of text that display does not put in view: beyond the right
// edge, below the bottom, or scrolled out. A space where a line wraps may
// stand at the edge.
int misplacedcharacters(Fl_Text_Display* display, const std::string& text) {
    int right = display->x() + display->w();
    int bottom = display->y() + display->h();
    int misplaced = 0;
    for (int position = 0; position < (int)text.size(); position++) {
        int x = 0, y = 0;
        if (text[position] == ' ') continue;
        if (!display->position_to_xy(position, &x, &y) || x >= right - 8 || y >= bottom) {
            misplaced++;
            ADD_FAILURE() << "character " << position << " at " << x << "," << y << " of " << right << "," << bottom;
        }
    }
    return misplaced;
}

std::string shown(Fl_Text_Display* display) {
    char* text = display->buffer()->text();
    std::string copy = text;
    free(text);
    return copy;
}

#define NEEDDISPLAY()                                                                                  \
    if (getenv("DISPLAY") == NULL) GTEST_SKIP() << "no display";                                       \
    ASSERT_TRUE(candisplay()) << "the display " << getenv("DISPLAY") << " cannot be opened"

}  // namespace

// Keys and clicks meant for another window must not dismiss the reminder:
// none acts until the window has held the focus for a while, counted afresh
// each time it gets it. Then Enter acts on the focused button only (OK at
// first, not the choice of delay), and Escape closes the window.
TEST(MessageWindow, KeysActOnlyOnceTheWindowHeldTheFocusAndEnterPressesTheFocusedButton) {
    NEEDDISPLAY();
    Fl_Window* window = buildmessagewindow("12-24 - Buy the tree", "in 15 days, on Thursday 24 December", readdesktopscale());
    showabove(window);
    Fl::check();
    givefocus(window);
    press(window, FL_Enter);
    press(window, FL_Escape);
    EXPECT_TRUE(window->shown()) << "a key typed as the window appeared closed it";
    runfor(INPUTGUARDSECONDS / 2 + 0.05);
    takefocus(window);
    givefocus(window);
    runfor(INPUTGUARDSECONDS / 2 + 0.05);
    EXPECT_FALSE(acceptsinput(window)) << "the time before the focus went away was counted";
    press(window, FL_Escape);
    EXPECT_TRUE(window->shown());

    ASSERT_TRUE(waitforinput(window, 3 * INPUTGUARDSECONDS));
    EXPECT_EQ(message_ok, Fl::focus());
    press(window, FL_Tab);
    EXPECT_EQ(message_delay, Fl::focus());
    press(window, FL_Enter);
    EXPECT_TRUE(window->shown()) << "Enter on the choice of delay acted on a button";
    press(window, FL_Tab, FL_SHIFT);
    ASSERT_EQ(message_ok, Fl::focus());
    press(window, FL_Enter);
    EXPECT_FALSE(window->shown());
    discard(window);

    window = buildmessagewindow("01-01 - new year", "", readdesktopscale());
    showabove(window);
    Fl::check();
    givefocus(window);
    ASSERT_TRUE(waitforinput(window, 3 * INPUTGUARDSECONDS));
    press(window, FL_Escape);
    EXPECT_FALSE(window->shown()) << "Escape did not close the window";
    discard(window);
}

// The message is shown large and the whole line smaller, each exactly as
// given: '@', quotes and a long word are not read as symbols, cut or changed,
// and both wrap inside the window with every character in view.
TEST(MessageWindow, HoldsTheMessageAndTheLineExactlyWrapped) {
    NEEDDISPLAY();
    std::string line = "05-17 - mail jo@example.com @C @> *hi* 100% " + std::string(60, 'w') + " end";
    // The longest line a data file holds, in words of many widths.
    while (line.size() < 511) line += line.size() % 7 == 0 ? " Wm" : " iw";
    line.resize(511);
    Fl_Window* window = buildmessagewindow(line.c_str(), "today", readdesktopscale());
    ASSERT_NE(nullptr, window);
    EXPECT_STREQ("Ruvello", window->label());
    EXPECT_EQ(line.substr(8), shown(message_text));
    EXPECT_EQ(line, shown(message_line));
    EXPECT_STREQ("today", message_when->label());
    showabove(window);
    Fl::check();
    EXPECT_TRUE(window->shown());
    EXPECT_EQ(0, misplacedcharacters(message_text, line.substr(8)));
    EXPECT_EQ(0, misplacedcharacters(message_line, line));
    EXPECT_LE(message_ok->y() + message_ok->h(), window->h());
    EXPECT_GE(message_ok->y(), message_line->y() + message_line->h());
    discard(window);

    // A line of no layout is shown once, as it stands.
    window = buildmessagewindow("call 12-24 - Jo", "", readdesktopscale());
    EXPECT_EQ("call 12-24 - Jo", shown(message_text));
    EXPECT_FALSE(message_line->visible());
    EXPECT_FALSE(message_when->visible());
    discard(window);
}

// A short line with one word wider than the window, such as a web address:
// the window grows to the lines the word is wrapped into, so none of it hides
// behind a scroll bar.
TEST(MessageWindow, AWordWiderThanTheWindowIsAllInView) {
    NEEDDISPLAY();
    std::string line = "12-24 - https://example.org/" + std::string(200, 'x');
    Fl_Window* window = buildmessagewindow(line.c_str(), "tomorrow", readdesktopscale());
    showabove(window);
    Fl::check();
    EXPECT_EQ(0, misplacedcharacters(message_text, line.substr(8)));
    EXPECT_EQ(0, misplacedcharacters(message_line, line));
    discard(window);
}

// A snooze that cannot be written says so and keeps the reminder on screen,
// the list left as it was; a plain "s" typed into the window is no snooze.
TEST(MessageWindow, AFailedSnoozeKeepsTheWindowAndSaysSo) {
    NEEDDISPLAY();
    scratchhome home;
    char path[PATHBUFSIZE];
    ASSERT_EQ(0, getsinglealertfilename(path));
    // A link to a folder that does not exist: read as an empty list, never written.
    ASSERT_EQ(0, symlink("/nonexistent-folder/single_alerts.dat", path));
    Fl_Window* window = buildmessagewindow("12-24 - Buy the tree", "", readdesktopscale());
    showabove(window);
    Fl::check();
    givefocus(window);
    ASSERT_TRUE(waitforinput(window, 3 * INPUTGUARDSECONDS));
    press(window, 's');
    EXPECT_STREQ(NULL, message_status->label());
    press(window, 's', FL_ALT);
    EXPECT_TRUE(window->shown()) << "the reminder closed although it was not put off";
    ASSERT_NE(nullptr, message_status->label());
    EXPECT_NE(nullptr, strstr(message_status->label(), "Not snoozed"));
    char target[PATHBUFSIZE] = "";
    EXPECT_GT(readlink(path, target, sizeof target - 1), 0) << "the list was replaced";
    discard(window);
    unlink(path);
}

// At the desktop's scale the reminder is as wide as RUVELLO_EXPECT_REMINDER_WIDTH
// says (500 pixels unless set), every font is that of scale 1 multiplied,
// and the row of controls holds its texts whole: the delay's caption ends
// before its choice, each button's caption fits inside it, no control covers
// another and all stay inside the window.
TEST(MessageWindow, FontsAndTheRowOfControlsFollowTheDesktopScale) {
    NEEDDISPLAY();
    double scale = readdesktopscale();
    const char* expected = getenv("RUVELLO_EXPECT_REMINDER_WIDTH");
    const char line[] = "12-24 - Buy the tree";
    const char when[] = "in 15 days, on Thursday 24 December";
    Fl_Window* plain = buildmessagewindow(line, when, 1);
    Fl_Widget* plainwidgets[] = {message_text, message_when, message_line, message_delay, message_snooze,
                                 message_status, message_ok};
    int plainsizes[7][2];
    for (int i = 0; i < 7; i++) {
        plainsizes[i][0] = plainwidgets[i]->labelsize();
        Fl_Text_Display* display = dynamic_cast<Fl_Text_Display*>(plainwidgets[i]);
        plainsizes[i][1] = display != NULL ? display->textsize() : i == 3 ? message_delay->textsize() : 0;
    }
    discard(plain);
    Fl_Window* window = buildmessagewindow(line, when, scale);
    EXPECT_EQ(window->w(), expected != NULL ? atoi(expected) : 500);
    Fl_Widget* widgets[] = {message_text, message_when, message_line, message_delay, message_snooze,
                            message_status, message_ok};
    double slack = scale == 1 ? 0 : 0.5;
    for (int i = 0; i < 7; i++) {
        Fl_Text_Display* display = dynamic_cast<Fl_Text_Display*>(widgets[i]);
        int textsize = display != NULL ? display->textsize() : i == 3 ? message_delay->textsize() : 0;
        if (display == NULL) {
            EXPECT_NEAR(widgets[i]->labelsize(), plainsizes[i][0] * scale, slack) << i;
        }
        EXPECT_NEAR(textsize, plainsizes[i][1] * scale, slack) << i;
    }
    showabove(window);
    Fl::check();
    fl_font(message_delay->labelfont(), message_delay->labelsize());
    // The caption stands right-aligned between the window's left edge and the choice.
    EXPECT_LE(fl_width(message_delay->label()), message_delay->x());
    Fl_Widget* controls[] = {message_delay, message_snooze, message_ok};
    for (Fl_Widget* control : controls) {
        EXPECT_LE(control->x() + control->w(), window->w()) << control->label();
        EXPECT_LE(control->y() + control->h(), message_status->y()) << control->label();
        int w = 0, h = 0;
        control->measure_label(w, h);
        if (control != message_delay) {
            EXPECT_LE(w, control->w() - Fl::box_dw(control->box())) << control->label();
            EXPECT_LE(h, control->h() - Fl::box_dh(control->box())) << control->label();
        }
    }
    EXPECT_LE(message_delay->x() + message_delay->w(), message_snooze->x());
    EXPECT_LE(message_snooze->x() + message_snooze->w(), message_ok->x());
    EXPECT_LE(message_status->y() + message_status->h(), window->h());
    discard(window);
}
