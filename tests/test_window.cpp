// The configurator's window: its widget tree in both looks, the presetting of
// the date and time fields, and the refusal of a second copy.
#include "config/configtest.h"

#include "alarmlists.h"
#include "desktop.h"
#include "dialogs.h"
#include "instancelock.h"
#include "importexport.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser_.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Clock.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Spinner.H>
#include <FL/Fl_Tabs.H>
#include <FL/Fl_Toggle_Button.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <typeinfo>
#include <unistd.h>

extern char** environ;

namespace {

const int ANY = -1;  // an alignment or box type the row does not fix

struct widgetrow {
    const std::type_info& type;
    int x, y, w, h;
    const char* label;
    int align;
    Fl_Color labelcolour;
    Fl_Callback* callback;
    int box;
    double minimum, maximum;  // spinners only
};

const int INLEFT = FL_ALIGN_INSIDE | FL_ALIGN_LEFT;
const Fl_Color FG = FL_FOREGROUND_COLOR;
#define BROWSER(x, y, w, h) {typeid(Fl_Hold_Browser), x, y, w, h, NULL, ANY, FG, NULL, ANY, 0, 0}
#define BUTTON(x, y, w, h, l, c, cb) {typeid(Fl_Button), x, y, w, h, l, ANY, c, cb, ANY, 0, 0}
#define TEXT(x, y, w, h, l) {typeid(Fl_Box), x, y, w, h, l, INLEFT, FG, NULL, ANY, 0, 0}
#define FRAME(x, y, w, h) {typeid(Fl_Box), x, y, w, h, NULL, ANY, FG, NULL, FL_ENGRAVED_FRAME, 0, 0}
#define CHOICE(x, y, w, h, cb) {typeid(Fl_Choice), x, y, w, h, NULL, ANY, FG, cb, ANY, 0, 0}
#define INPUT(x, y, w, h) {typeid(Fl_Input), x, y, w, h, NULL, FL_ALIGN_LEFT, FG, NULL, ANY, 0, 0}
#define SPIN(x, y, w, h, lo, hi, cb) {typeid(Fl_Spinner), x, y, w, h, NULL, ANY, FG, cb, ANY, lo, hi}
#define LISTBUTTONS(list)                                                   \
    BUTTON(470, 45, 110, 40, "@1+  Remove", FL_DARK_RED, cb_remove_##list), \
    BUTTON(470, 95, 110, 40, "@2<- Sort", FL_DARK_BLUE, cb_sort_desc_##list), \
    BUTTON(470, 145, 110, 40, "@8<- Sort", FL_DARK_BLUE, cb_sort_asc_##list)

std::vector<widgetrow> annualpage() {
    return {BROWSER(20, 45, 445, 235), LISTBUTTONS(annual), FRAME(20, 290, 560, 90),
            TEXT(30, 300, 350, 18, "create a new annual alert"), TEXT(30, 325, 100, 20, "message:"),
            INPUT(110, 325, 320, 20), TEXT(30, 350, 80, 20, "month:"), SPIN(90, 350, 35, 20, 1, 12, NULL),
            TEXT(130, 350, 80, 20, " /     day:"), SPIN(210, 350, 35, 20, 1, 31, NULL),
            BUTTON(440, 315, 130, 50, "@+   Create", FL_DARK_GREEN, cb_create_annual)};
}

std::vector<widgetrow> monthlypage() {
    return {BROWSER(20, 45, 445, 235), LISTBUTTONS(monthly), FRAME(20, 290, 560, 90),
            TEXT(30, 300, 350, 18, "create a new monthly alert"), TEXT(30, 325, 100, 20, "message:"),
            INPUT(110, 325, 320, 20), TEXT(30, 350, 80, 20, "month day:"), SPIN(120, 350, 35, 20, 1, 31, NULL),
            BUTTON(440, 315, 130, 50, "@+   Create", FL_DARK_GREEN, cb_create_monthly)};
}

#define DAY(i, l) {typeid(Fl_Toggle_Button), 30 + 38 * (i), 350, 38, 20, l, ANY, FG, NULL, ANY, 0, 0}

std::vector<widgetrow> weeklypage() {
    return {BROWSER(20, 45, 445, 235), LISTBUTTONS(weekly), FRAME(20, 290, 560, 90),
            TEXT(30, 300, 350, 18, "create a new weekly alert"), TEXT(30, 325, 100, 20, "message:"),
            INPUT(110, 325, 320, 20), DAY(0, "Mon"), DAY(1, "Tue"), DAY(2, "Wed"), DAY(3, "Thu"), DAY(4, "Fri"),
            DAY(5, "Sat"), DAY(6, "Sun"), TEXT(305, 350, 40, 20, "time:"), SPIN(345, 350, 35, 20, 0, 23, NULL),
            SPIN(390, 350, 35, 20, 0, 59, NULL), BUTTON(440, 315, 130, 50, "@+   Create", FL_DARK_GREEN, cb_create_weekly)};
}

std::vector<widgetrow> simplepage(bool plastic) {
    widgetrow title = TEXT(30, 275, 350, 18, "create a new alarm");
    title.align = FL_ALIGN_WRAP | INLEFT;
    widgetrow clock = {typeid(Fl_Clock), 470, 270, 105, 105, NULL, ANY, FG, NULL,
                       plastic ? FL_PLASTIC_ROUND_DOWN_BOX : FL_GTK_ROUND_DOWN_BOX, 0, 0};
    // The year's range is the toolkit's default until initfields sets it.
    return {BROWSER(20, 45, 445, 175), LISTBUTTONS(single), FRAME(20, 265, 560, 115), title,
            TEXT(30, 300, 100, 20, "message:"), INPUT(110, 300, 355, 20), TEXT(30, 325, 80, 20, "date:"),
            SPIN(70, 325, 60, 20, 1, 100, NULL), SPIN(140, 325, 35, 20, 1, 12, NULL),
            SPIN(185, 325, 35, 20, 1, 31, NULL), TEXT(30, 350, 80, 20, "time:"), SPIN(70, 350, 35, 20, 0, 23, NULL),
            SPIN(115, 350, 35, 20, 0, 59, NULL), clock,
            BUTTON(290, 325, 175, 45, "@+   Create", FL_DARK_GREEN, cb_create_single)};
}

std::vector<widgetrow> configurationpage() {
    return {TEXT(20, 45, 560, 100,
                 "Alert notifications start some days in advance before the alarm date. Here you can\n"
                 "adjust this number of days, according to your needs. This configuration is split\n"
                 "in two parts, for annual and monthly alerts (maybe you are interested in a larger\n"
                 "value for annual alerts)."),
            TEXT(50, 150, 80, 20, "for annual alerts:"), SPIN(180, 150, 35, 20, 1, 30, cb_save_settings),
            TEXT(320, 150, 80, 20, "for monthly alerts:"), SPIN(450, 150, 35, 20, 0, 8, cb_save_settings),
            TEXT(20, 190, 560, 100,
                 "All the program data are stored in a safe place (read te manual for more details\n"
                 "about where these files and directories are located - it depends on your OS). If\n"
                 "you want to make a backup copy or syncronize different PCs, here you can export\n"
                 "and import all the application data."),
            BUTTON(30, 300, 160, 50, "@+6filesaveas     Export", FL_DARK_BLUE, cb_export),
            BUTTON(340, 300, 160, 50, "@+6fileopen     Import", FL_DARK_RED, cb_import),
            TEXT(30, 360, 110, 20, "reminder sound:"), CHOICE(140, 360, 420, 20, cb_save_settings)};
}

void expectpage(Fl_Group* page, const std::vector<widgetrow>& rows) {
    ASSERT_EQ(page->children(), (int)rows.size()) << page->label();
    for (size_t i = 0; i < rows.size(); i++) {
        const widgetrow& row = rows[i];
        Fl_Widget* widget = page->child((int)i);
        SCOPED_TRACE(std::string(page->label()) + " widget " + std::to_string(i + 1));
        EXPECT_TRUE(typeid(*widget) == row.type) << typeid(*widget).name();
        EXPECT_EQ(widget->x(), row.x);
        EXPECT_EQ(widget->y(), row.y);
        EXPECT_EQ(widget->w(), row.w);
        EXPECT_EQ(widget->h(), row.h);
        EXPECT_STREQ(widget->label(), row.label);
        if (row.align != ANY) {
            EXPECT_EQ((int)widget->align(), row.align);
        }
        if (row.box != ANY) {
            EXPECT_EQ((int)widget->box(), row.box);
        }
        EXPECT_EQ(widget->labelcolor(), row.labelcolour);
        if (row.callback != NULL) {
            EXPECT_TRUE(widget->callback() == row.callback);
        }
        EXPECT_EQ(widget->labelfont(), FL_HELVETICA);
        EXPECT_EQ(widget->labelsize(), FL_NORMAL_SIZE);
        EXPECT_EQ(widget->tooltip(), nullptr);
        if (row.type == typeid(Fl_Spinner)) {
            Fl_Spinner* spinner = (Fl_Spinner*)widget;
            EXPECT_EQ(spinner->minimum(), row.minimum);
            EXPECT_EQ(spinner->maximum(), row.maximum);
            EXPECT_EQ(spinner->step(), 1);
            EXPECT_STREQ(spinner->format(), "%g");
        }
    }
}

class ConfigWindow : public configtest {};

}  // namespace

TEST_F(ConfigWindow, WidgetTreeIsTheSameInBothLooksButForSchemeColoursAndBoxes) {
    for (int argc = 1; argc <= 2; argc++) {
        bool plastic = argc == 1;
        SCOPED_TRACE(plastic ? "plastic" : "gtk+");
        chooselook(argc, 1);
        Fl_Double_Window* built = buildwindow(argc, 1);
        EXPECT_STREQ(Fl::scheme(), plastic ? "plastic" : "gtk+");
        EXPECT_EQ(fl_message_font_, FL_HELVETICA);
        EXPECT_EQ(fl_message_size_, 12);
        EXPECT_STREQ(built->label(), "Ruvello 2.0 beta - Configuration Panel");
        EXPECT_EQ(built->w(), 600);
        EXPECT_EQ(built->h(), 400);
        EXPECT_EQ(built->resizable(), nullptr);
        ASSERT_EQ(built->children(), 1);
        Fl_Tabs* tabs = dynamic_cast<Fl_Tabs*>(built->child(0));
        ASSERT_NE(tabs, nullptr);
        EXPECT_EQ(tabs->x(), 10);
        EXPECT_EQ(tabs->y(), 10);
        EXPECT_EQ(tabs->w(), 580);
        EXPECT_EQ(tabs->h(), 380);
        EXPECT_EQ(tabs->label(), nullptr);
        EXPECT_EQ(tabs->box(), plastic ? FL_PLASTIC_UP_BOX : FL_GTK_DOWN_BOX);
        EXPECT_EQ(tabs->selection_color(), plastic ? FL_LIGHT2 : FL_LIGHT1);
        ASSERT_EQ(tabs->children(), 5);
        const char* captions[] = {" annual alarms ", " monthly alarms ", " weekly alarms ", " simple alarms ",
                                  " configuration "};
        for (int i = 0; i < 5; i++) {
            Fl_Group* page = (Fl_Group*)tabs->child(i);
            EXPECT_TRUE(typeid(*page) == typeid(Fl_Group));
            EXPECT_STREQ(page->label(), captions[i]);
            EXPECT_EQ(page->x(), 10);
            EXPECT_EQ(page->y(), 35);
            EXPECT_EQ(page->w(), 580);
            EXPECT_EQ(page->h(), 380);
            EXPECT_EQ(page->selection_color(), plastic ? FL_DARK3 : FL_DARK2);
        }
        EXPECT_EQ(tabs->resizable(), tabs->child(0));
        expectpage((Fl_Group*)tabs->child(0), annualpage());
        expectpage((Fl_Group*)tabs->child(1), monthlypage());
        expectpage((Fl_Group*)tabs->child(2), weeklypage());
        expectpage((Fl_Group*)tabs->child(3), simplepage(plastic));
        expectpage((Fl_Group*)tabs->child(4), configurationpage());
        // The globals reach the widgets of the window built last.
        EXPECT_EQ(annual_browser->parent(), tabs->child(0));
        Fl_Group* weekly = tabs->child(2)->as_group();
        EXPECT_EQ(weekly_browser, weekly->child(0));
        EXPECT_EQ(weekly_message_text, weekly->child(7));
        EXPECT_EQ(weekly_days[0], weekly->child(8));
        EXPECT_EQ(weekly_days[6], weekly->child(14));
        EXPECT_EQ(weekly_hour, weekly->child(16));
        EXPECT_EQ(weekly_minute, weekly->child(17));
        EXPECT_EQ(single_minute, tabs->child(3)->as_group()->child(14));
        EXPECT_EQ(monthly_day_adv, tabs->child(4)->as_group()->child(4));
        delete built;
    }
}

// The window's size follows the desktop's scale: 600 by 400 pixels unless
// RUVELLO_EXPECT_PANEL ("900x600") tells the size a scaled desktop must give.
TEST_F(ConfigWindow, ShownWindowOpensOnTheFirstPageAndCannotBeResized) {
    int width = 600, height = 400;
    const char* expected = getenv("RUVELLO_EXPECT_PANEL");
    if (expected != NULL) {
        ASSERT_EQ(sscanf(expected, "%dx%d", &width, &height), 2) << expected;
    }
    char name[] = "ruvelloconfig";
    char* argv[] = {name, NULL};
    window->show(1, argv);
    Fl::flush();
    Fl_Tabs* tabs = (Fl_Tabs*)window->child(0);
    EXPECT_EQ(tabs->value(), tabs->child(0));
    XSizeHints hints;
    long supplied = 0;
    ASSERT_NE(XGetWMNormalHints(fl_display, fl_xid(window), &hints, &supplied), 0);
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, width);
    EXPECT_EQ(hints.max_width, width);
    EXPECT_EQ(hints.min_height, height);
    EXPECT_EQ(hints.max_height, height);
    window->hide();
}

// Under faketime the suite also runs this at 23:59 on 29 February 2028, with
// RUVELLO_EXPECT_PRESET telling the fields that must come out.
TEST_F(ConfigWindow, InitfieldsPresetsTheDateAndTimeFieldsFromTheClock) {
    int got[8];
    int want[8];
    bool steady = false;
    for (int attempt = 0; attempt < 3 && !steady; attempt++) {
        time_t before = time(NULL);
        initfields();
        time_t after = time(NULL);
        struct tm local = *localtime(&before);
        if (before / 60 != after / 60) continue;  // the minute changed meanwhile
        int now[8] = {local.tm_mon + 1, local.tm_mday, local.tm_mday, local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
        memcpy(want, now, sizeof want);
        steady = true;
    }
    ASSERT_TRUE(steady) << "the minute changed during every try";
    Fl_Spinner* fields[8] = {annual_month, annual_day, monthly_day, single_year,
                             single_month, single_day, single_hour, single_minute};
    for (int i = 0; i < 8; i++) got[i] = (int)fields[i]->value();
    for (int i = 0; i < 8; i++) EXPECT_EQ(got[i], want[i]) << "field " << i;
    // The weekly alarm's time starts at the same minute as the simple alarm's.
    EXPECT_EQ(weekly_hour->value(), single_hour->value());
    EXPECT_EQ(weekly_minute->value(), single_minute->value());
    EXPECT_EQ(single_year->minimum(), want[3]);
    EXPECT_EQ(single_year->maximum(), want[3] + 4);
    const char* expected = getenv("RUVELLO_EXPECT_PRESET");
    if (expected != NULL) {
        char shown[64];
        snprintf(shown, sizeof shown, "%d %d %d %d %d %d %d %d %g-%g", got[0], got[1], got[2], got[3], got[4],
                 got[5], got[6], got[7], single_year->minimum(), single_year->maximum());
        EXPECT_STREQ(shown, expected);
    }
}

TEST_F(ConfigWindow, SecondCopyIsToldThePanelIsOpen) {
    EXPECT_FALSE(anothercopyisopen());
    EXPECT_TRUE(dialogs.empty());
    // A lock taken a second time, as another process would, is held.
    EXPECT_TRUE(anothercopyisopen());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, DIALOGALERT);
    EXPECT_EQ(dialogs[0].text, "The Ruvello configuration panel is already open.");
}

namespace {

pid_t startconfig(bool withdisplay, const std::string& errorfile) {
    std::vector<std::string> settings;
    for (char** entry = environ; *entry != NULL; entry++) {
        if (!withdisplay && strncmp(*entry, "DISPLAY=", 8) == 0) continue;
        settings.push_back(*entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : settings) envp.push_back(&entry[0]);
    envp.push_back(NULL);
    std::string program = bindir() + "/ruvelloconfig";
    char* argv[] = {&program[0], NULL};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, program.c_str(), &actions, NULL, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

}  // namespace

TEST_F(ConfigWindow, SecondProgramEndsWithStatusZeroWhileTheFirstRunsOn) {
    std::string firsterrors = home->home() + "/first.err";
    std::string seconderrors = home->home() + "/second.err";
    pid_t first = startconfig(true, firsterrors);
    ASSERT_GT(first, 0);
    // The last file the start-up creates tells that the first panel is up.
    for (int i = 0; i < 400 && !fileexists(datafile("weekly_alerts.dat")); i++) usleep(50000);
    ASSERT_TRUE(fileexists(datafile("weekly_alerts.dat")));
    // Without a display the second copy shows no alert, so nothing waits for a click.
    pid_t second = startconfig(false, seconderrors);
    ASSERT_GT(second, 0);
    int status = -1;
    ASSERT_EQ(waitpid(second, &status, 0), second);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readwholefile(seconderrors), "The Ruvello configuration panel is already open.\n");
    EXPECT_EQ(waitpid(first, &status, WNOHANG), 0) << "the first panel must still run";
    kill(first, SIGTERM);
    waitpid(first, &status, 0);
}

// With the fonts the window's geometry was drawn for, every line of every
// text box ends before the widget to its right on the same row, and within
// the page: nothing is cut ("Here you can", "for monthly alerts:").
TEST_F(ConfigWindow, EveryTextEndsBeforeTheWidgetToItsRightAndEveryItemFitsItsChoice) {
    if (!usearialmetrics()) GTEST_SKIP() << "Liberation Sans is not installed";
    Fl_Tabs* tabs = (Fl_Tabs*)window->child(0);
    for (int p = 0; p < tabs->children(); p++) {
        Fl_Group* page = (Fl_Group*)tabs->child(p);
        for (int i = 0; i < page->children(); i++) {
            Fl_Widget* box = page->child(i);
            if (typeid(*box) == typeid(Fl_Choice)) {
                // Each item fits the choice left of its arrow (at most 20 pixels
                // wide), with the few pixels the item's drawing keeps free.
                Fl_Choice* choice = (Fl_Choice*)box;
                fl_font(choice->textfont(), choice->textsize());
                int room = choice->w() - 2 * Fl::box_dx(choice->box()) - 20 - 6;
                for (int item = 0; item < choice->size() - 1; item++) {
                    EXPECT_LE((int)fl_width(choice->menu()[item].label()), room) << choice->menu()[item].label();
                }
                continue;
            }
            if (typeid(*box) != typeid(Fl_Box) || box->label() == NULL) continue;
            fl_font(box->labelfont(), box->labelsize());
            int widest = 0;
            std::string text = box->label();
            for (size_t at = 0; at <= text.size();) {
                size_t end = text.find('\n', at);
                if (end == std::string::npos) end = text.size();
                widest = std::max(widest, (int)fl_width(text.substr(at, end - at).c_str()));
                at = end + 1;
            }
            int limit = page->x() + page->w() - 10;
            for (int j = 0; j < page->children(); j++) {
                Fl_Widget* other = page->child(j);
                bool samerow = other->y() < box->y() + box->h() && box->y() < other->y() + other->h();
                if (other != box && samerow && other->x() > box->x() && typeid(*other) != typeid(Fl_Box)) {
                    limit = std::min(limit, other->x());
                }
            }
            // A label inside and at the left stands 3 pixels in from the box's frame.
            EXPECT_LE(box->x() + Fl::box_dx(box->box()) + 3 + widest, limit) << text;
        }
    }
}

// The tab strip shows every caption whole: the toolkit gives each tab its
// caption's width and 12 pixels (its padding and the border between tabs),
// after the strip's own frame, and squeezes the tabs together when the sum
// passes the strip's width. On the weekly page, the widgets of the create
// frame end before the Create button, and each day's caption fits inside its
// toggle's frame.
TEST_F(ConfigWindow, TabCaptionsAndTheWeeklyCreateFrameFitWhole) {
    if (!usearialmetrics()) GTEST_SKIP() << "Liberation Sans is not installed";
    double scale = readdesktopscale();
    for (int argc = 1; argc <= 2; argc++) {
        chooselook(argc, scale);
        Fl_Double_Window* built = buildwindow(argc, scale);
        Fl_Tabs* tabs = (Fl_Tabs*)built->child(0);
        int used = Fl::box_dx(tabs->box());
        for (int i = 0; i < tabs->children(); i++) {
            int w = 0, h = 0;
            tabs->child(i)->measure_label(w, h);
            used += w + 12;
        }
        EXPECT_LE(used, tabs->w()) << (argc == 1 ? "plastic" : "gtk+");
        Fl_Group* page = tabs->child(2)->as_group();
        Fl_Widget* create = page->child(page->children() - 1);
        ASSERT_STREQ(create->label(), "@+   Create");
        Fl_Widget* frame = NULL;
        for (int i = 0; i < page->children(); i++) {
            if (page->child(i)->box() == FL_ENGRAVED_FRAME) frame = page->child(i);
        }
        ASSERT_NE(frame, nullptr);
        for (int i = 0; i < page->children(); i++) {
            Fl_Widget* widget = page->child(i);
            bool inframe = widget->y() >= frame->y() && widget->y() + widget->h() <= frame->y() + frame->h() &&
                           widget->w() < frame->w();
            if (widget == create || !inframe) continue;
            EXPECT_LE(widget->x() + widget->w(), create->x()) << i;
        }
        for (Fl_Toggle_Button* day : weekly_days) {
            int w = 0, h = 0;
            day->measure_label(w, h);
            EXPECT_LE(w, day->w() - Fl::box_dw(day->box())) << day->label();
        }
        delete built;
    }
}

namespace {

// The sizes of text a widget has beside its label's, 0 for none.
int textsizeof(Fl_Widget* widget) {
    if (Fl_Input_* input = dynamic_cast<Fl_Input_*>(widget)) return input->textsize();
    if (Fl_Browser_* browser = dynamic_cast<Fl_Browser_*>(widget)) return browser->textsize();
    if (Fl_Menu_* menu = dynamic_cast<Fl_Menu_*>(widget)) return menu->textsize();
    return 0;
}

// Walks two trees side by side: each widget of scaled, built at scale, must
// be its twin of plain, built at scale 1, multiplied, within the pixel that
// rounding takes; at scale 1 exactly the same.
void expectmultiplied(Fl_Widget* plain, Fl_Widget* scaled, double scale, const std::string& path) {
    SCOPED_TRACE(path);
    double slack = scale == 1 ? 0 : 1;
    if (plain->as_window() == NULL) {
        EXPECT_NEAR(scaled->x(), plain->x() * scale, slack);
        EXPECT_NEAR(scaled->y(), plain->y() * scale, slack);
    }
    EXPECT_NEAR(scaled->w(), plain->w() * scale, slack);
    EXPECT_NEAR(scaled->h(), plain->h() * scale, slack);
    EXPECT_NEAR(scaled->labelsize(), plain->labelsize() * scale, slack / 2);
    EXPECT_NEAR(textsizeof(scaled), textsizeof(plain) * scale, slack / 2);
    Fl_Group* plaingroup = plain->as_group();
    Fl_Group* scaledgroup = scaled->as_group();
    ASSERT_EQ(plaingroup == NULL, scaledgroup == NULL);
    if (plaingroup == NULL) return;
    ASSERT_EQ(plaingroup->children(), scaledgroup->children());
    for (int i = 0; i < plaingroup->children(); i++) {
        Fl_Widget* child = plaingroup->child(i);
        std::string name = path + "/" + std::to_string(i) + (child->label() != NULL ? ":" + std::string(child->label()) : "");
        expectmultiplied(child, scaledgroup->child(i), scale, name);
    }
}

}  // namespace

// At the desktop's scale every widget of the panel, inner parts of spinners
// and lists too, and every font is that of the panel at scale 1 multiplied:
// none is left at its size. Where the desktop asks for scale 1 (Xft.dpi 96,
// or nothing set) the panel is the one of scale 1 pixel for pixel.
TEST_F(ConfigWindow, EveryWidgetAndFontFollowsTheDesktopScale) {
    double scale = readdesktopscale();
    chooselook(1, 1);
    int plainmessage = fl_message_size_;
    int plainnormal = FL_NORMAL_SIZE;
    Fl_Double_Window* plain = buildwindow(1, 1);
    chooselook(1, scale);
    Fl_Double_Window* built = buildwindow(1, scale);
    expectmultiplied(plain, built, scale, "window");
    // The dialogs' text and buttons follow, and the tooltips.
    EXPECT_NEAR(fl_message_size_, plainmessage * scale, scale == 1 ? 0 : 0.5);
    EXPECT_NEAR(FL_NORMAL_SIZE, plainnormal * scale, scale == 1 ? 0 : 0.5);
    delete plain;
    delete built;
}

// No control of a page covers another, and each lies inside the tab
// container, so that rounding a fractional scale never makes two touch.
// Text boxes are left out: they stand behind the fields they name, whose
// texts the test above keeps clear.
TEST_F(ConfigWindow, NoControlCoversAnotherAndAllStayInsideTheTabs) {
    Fl_Tabs* tabs = (Fl_Tabs*)window->child(0);
    EXPECT_LE(tabs->x() + tabs->w(), window->w());
    EXPECT_LE(tabs->y() + tabs->h(), window->h());
    for (int p = 0; p < tabs->children(); p++) {
        Fl_Group* page = (Fl_Group*)tabs->child(p);
        SCOPED_TRACE(page->label());
        for (int i = 0; i < page->children(); i++) {
            Fl_Widget* one = page->child(i);
            EXPECT_GE(one->x(), tabs->x()) << i;
            EXPECT_GE(one->y(), tabs->y()) << i;
            EXPECT_LE(one->x() + one->w(), tabs->x() + tabs->w()) << i;
            EXPECT_LE(one->y() + one->h(), tabs->y() + tabs->h()) << i;
            if (typeid(*one) == typeid(Fl_Box)) continue;
            for (int j = i + 1; j < page->children(); j++) {
                Fl_Widget* other = page->child(j);
                if (typeid(*other) == typeid(Fl_Box)) continue;
                bool apart = one->x() + one->w() <= other->x() || other->x() + other->w() <= one->x() ||
                             one->y() + one->h() <= other->y() || other->y() + other->h() <= one->y();
                EXPECT_TRUE(apart) << i << " and " << j;
            }
        }
    }
}

namespace {

// What the look at the toolkit's own file dialog found.
struct filedialogseen {
    int buttons = 0;            // buttons with a caption looked at
    std::vector<std::string> cut;  // the captions that did not fit
    double deadline = 0;
};

double secondsnow() {
    timespec moment;
    clock_gettime(CLOCK_MONOTONIC, &moment);
    return moment.tv_sec + moment.tv_nsec / 1e9;
}

void lookatbuttons(Fl_Widget* widget, filedialogseen* seen) {
    bool button = typeid(*widget) == typeid(Fl_Button) || typeid(*widget) == typeid(Fl_Return_Button);
    if (button && widget->label() != NULL && widget->label()[0] != '\0' && widget->visible()) {
        int w = 0, h = 0;
        widget->measure_label(w, h);
        seen->buttons++;
        if (w > widget->w() - Fl::box_dw(widget->box()) || h > widget->h() - Fl::box_dh(widget->box())) {
            seen->cut.push_back(widget->label());
        }
    }
    Fl_Group* group = widget->as_group();
    for (int i = 0; group != NULL && i < group->children(); i++) lookatbuttons(group->child(i), seen);
}

// Waits for the file dialog titled "Export test", looks at it and closes it.
void cb_lookatfiledialog(void* data) {
    filedialogseen* seen = (filedialogseen*)data;
    for (Fl_Window* shown = Fl::first_window(); shown != NULL; shown = Fl::next_window(shown)) {
        if (shown->label() != NULL && strcmp(shown->label(), "Export test") == 0) {
            lookatbuttons(shown, seen);
            shown->hide();
            return;
        }
    }
    if (secondsnow() < seen->deadline) Fl::repeat_timeout(0.05, cb_lookatfiledialog, data);
}

}  // namespace

// The toolkit's own file dialog, which Export and Import show where the
// system offers none, is laid out for scale 1 by the toolkit: on a scaled
// desktop its buttons must still hold their captions whole.
TEST_F(ConfigWindow, TheToolkitsOwnFileDialogKeepsItsCaptionsWhole) {
    chooselook(1, readdesktopscale());
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
    filedialogseen seen;
    seen.deadline = secondsnow() + 20;
    Fl::add_timeout(0.05, cb_lookatfiledialog, &seen);
    char path[PATHBUFSIZE];
    choosefile(true, "Export test", (home->home() + "/export.txt").c_str(), path, sizeof path);
    Fl::remove_timeout(cb_lookatfiledialog, &seen);
    EXPECT_GT(seen.buttons, 0) << "the file dialog was not seen";
    for (const std::string& caption : seen.cut) ADD_FAILURE() << "cut: " << caption;
}
