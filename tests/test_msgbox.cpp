#include <gtest/gtest.h>

#include "desktop.h"
#include "messagewindow.h"
#include "testsupport.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Window.H>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The program keeps its one window until it ends; a test deletes it, and the
// text buffer, which the display does not own.
void discard(Fl_Window* window) {
    Fl_Text_Buffer* buffer = message_text->buffer();
    delete window;
    delete buffer;
}

bool escapecloses(const char* line) {
    Fl_Window* window = buildmessagewindow(line);
    showabove(window);
    Fl::check();
    Fl::e_keysym = FL_Escape;
    Fl::handle(FL_SHORTCUT, window);
    bool closed = !window->shown();
    discard(window);
    return closed;
}

// The characters of line that the shown window does not put in view: beyond
// the right edge, below the bottom, or scrolled out. A space where a line
// wraps may stand at the edge.
int misplacedcharacters(const std::string& line) {
    int right = message_text->x() + message_text->w();
    int bottom = message_text->y() + message_text->h();
    int misplaced = 0;
    for (int position = 0; position < (int)line.size(); position++) {
        int x = 0, y = 0;
        if (line[position] == ' ') continue;
        if (!message_text->position_to_xy(position, &x, &y) || x >= right - 8 || y >= bottom) {
            misplaced++;
            ADD_FAILURE() << "character " << position << " at " << x << "," << y << " of " << right << "," << bottom;
        }
    }
    return misplaced;
}

}  // namespace

TEST(MessageWindow, EscapeClosesIt) {
    if (getenv("DISPLAY") == NULL) GTEST_SKIP() << "no display";
    ASSERT_TRUE(candisplay()) << "the display " << getenv("DISPLAY") << " cannot be opened";
    EXPECT_TRUE(escapecloses("01-01 - new year"));
}

// The window shows the line as given: '@', quotes and a long word are not
// read as symbols, cut or changed, and the text wraps inside the window.
TEST(MessageWindow, HoldsTheLineExactlyWrappedWithAnOkButtonForEnter) {
    if (getenv("DISPLAY") == NULL) GTEST_SKIP() << "no display";
    ASSERT_TRUE(candisplay()) << "the display " << getenv("DISPLAY") << " cannot be opened";
    std::string line = "05-17 - mail jo@example.com @C @> *hi* 100% " + std::string(60, 'w') + " end";
    // The longest line a data file holds, in words of many widths.
    while (line.size() < 511) line += line.size() % 7 == 0 ? " Wm" : " iw";
    line.resize(511);
    Fl_Window* window = buildmessagewindow(line.c_str());
    ASSERT_NE(nullptr, window);
    EXPECT_STREQ("Ruvello", window->label());
    char* shown = message_text->buffer()->text();
    EXPECT_EQ(line, shown);
    free(shown);
    EXPECT_EQ(window, message_text->window());
    EXPECT_LE(message_text->x() + message_text->w(), window->w());
    EXPECT_STREQ("OK", message_ok->label());
    showabove(window);
    Fl::check();
    EXPECT_TRUE(window->shown());
    // Every character is in view once wrapped: nothing runs off the right edge or the bottom.
    EXPECT_EQ(0, misplacedcharacters(line));
    // Enter, wherever the focus is, presses OK, which closes the window.
    Fl::e_keysym = FL_Enter;
    EXPECT_EQ(1, Fl::handle(FL_SHORTCUT, window));
    EXPECT_FALSE(window->shown());
    discard(window);
}

// A short line with one word wider than the window, such as a web address:
// the window grows to the lines the word is wrapped into, so none of it hides
// behind a scroll bar.
TEST(MessageWindow, AWordWiderThanTheWindowIsAllInView) {
    if (getenv("DISPLAY") == NULL) GTEST_SKIP() << "no display";
    ASSERT_TRUE(candisplay()) << "the display " << getenv("DISPLAY") << " cannot be opened";
    std::string line = "12-24 - https://example.org/" + std::string(200, 'x');
    Fl_Window* window = buildmessagewindow(line.c_str());
    showabove(window);
    Fl::check();
    EXPECT_EQ(0, misplacedcharacters(line));
    discard(window);
}
