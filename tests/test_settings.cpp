// The configuration tab: loading the two advance values with their limits,
// writing them on every change, and the fatal paths.
#include "config/configtest.h"

#include "alarmlists.h"
#include "dialogs.h"
#include "settings.h"
#include "window.h"

#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Spinner.H>
#include <sys/stat.h>

namespace {

class Settings : public configtest {};

// What a person's arrow press or typed entry does: the spinner's own parts
// run its callback (0 the text field, 1 the up arrow, 2 the down arrow).
void press(Fl_Spinner* spinner, int part) { spinner->child(part)->do_callback(); }

void type(Fl_Spinner* spinner, const char* text) {
    ((Fl_Input*)spinner->child(0))->value(text);
    press(spinner, 0);
}

}  // namespace

TEST_F(Settings, LoadingClampsTheValuesShowsTheServiceDefaultsAndWritesNothing) {
    struct {
        const char* file;
        int annual, monthly;
    } cases[] = {
        {"", 7, 3},
        {"0\n", 1, 3},
        {"45\n9\n", 30, 8},
        {"12 days\n0\n1\n", 12, 0},
        {"# annual\n-3\n5\r\n\n# monthly\n2", 5, 2},
        {"99999999999999999999999999\n4294967297\n", 30, 8},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        writewholefile(datafile("config.dat"), c.file);
        loadsettings();
        EXPECT_EQ(annual_day_adv->value(), c.annual);
        EXPECT_EQ(monthly_day_adv->value(), c.monthly);
        EXPECT_EQ(readwholefile(datafile("config.dat")), c.file);
    }
    // A missing file is created empty and stays so.
    remove(datafile("config.dat").c_str());
    loadsettings();
    EXPECT_EQ(annual_day_adv->value(), 7);
    EXPECT_TRUE(fileexists(datafile("config.dat")));
    EXPECT_EQ(readwholefile(datafile("config.dat")), "");
}

TEST_F(Settings, EveryChangeOfEitherSpinnerWritesBothValuesAndLoadsBackTheSame) {
    loadsettings();
    press(monthly_day_adv, 1);
    EXPECT_EQ(masktimestamp(readwholefile(datafile("config.dat"))), configfilebytes(7, 4));
    // A held arrow writes at every step.
    for (int step = 8; step <= 10; step++) {
        press(annual_day_adv, 1);
        EXPECT_EQ(masktimestamp(readwholefile(datafile("config.dat"))), configfilebytes(step, 4));
    }
    annual_day_adv->value(30);
    monthly_day_adv->value(0);
    press(annual_day_adv, 1);  // 30 wraps round to 1
    EXPECT_EQ(masktimestamp(readwholefile(datafile("config.dat"))), configfilebytes(1, 0));
    press(monthly_day_adv, 2);  // 0 wraps round to 8
    EXPECT_EQ(masktimestamp(readwholefile(datafile("config.dat"))), configfilebytes(1, 8));
    type(annual_day_adv, "50");
    EXPECT_EQ(masktimestamp(readwholefile(datafile("config.dat"))), configfilebytes(30, 8));
    // The sound's choice is saved at once, each item as its value.
    for (int sound : {SOUNDREPEAT, SOUNDNONE}) {
        reminder_sound->value(sound);
        reminder_sound->do_callback();
        EXPECT_EQ(masktimestamp(readwholefile(datafile("config.dat"))), configfilebytes(30, 8, sound));
    }
    annual_day_adv->value(1);
    monthly_day_adv->value(1);
    reminder_sound->value(SOUNDONCE);
    loadsettings();
    EXPECT_EQ(annual_day_adv->value(), 30);
    EXPECT_EQ(monthly_day_adv->value(), 8);
    EXPECT_EQ(reminder_sound->value(), SOUNDNONE);
}

TEST_F(Settings, ConfigurationThatCannotBeWrittenEndsTheProgramAtTheFirstChange) {
    std::string path = datafile("config.dat");
    loadsettings();
    writewholefile(path, "12\n4\n");
    answerdialogsonstderr();
    std::string text = "FATAL ERROR\nCannot create or access the following file\n   \"" + path + "\"";
    // The writer's temporary file (of the process that saves) cannot be made where a folder stands.
    EXPECT_EXIT(
        {
            mkdir(owntemporary(path).c_str(), 0700);
            press(annual_day_adv, 2);
        },
        testing::ExitedWithCode(1),
                "^" + regexquote(text + "[dialog 2: Ruvello - " + text + "]") + "$");
    EXPECT_EQ(readwholefile(path), "12\n4\n");
}

TEST_F(Settings, ConfigurationThatCannotBeCreatedEndsTheStartBeforeAnyList) {
    std::string path = datafile("config.dat");
    loadsettings();
    remove(path.c_str());
    mkdir(path.c_str(), 0700);
    answerdialogsonstderr();
    EXPECT_EXIT(initfiles(), testing::ExitedWithCode(1),
                regexquote("Cannot create or access the following file\n   \"" + path + "\"[dialog"));
    EXPECT_FALSE(fileexists(datafile("single_alerts.dat")));
    // A data folder outside the home folder is refused the same way.
    setenv("HOME", "", 1);
    EXPECT_EXIT(initfiles(), testing::ExitedWithCode(1), "FATAL ERROR\nCannot create or access the following file");
}
