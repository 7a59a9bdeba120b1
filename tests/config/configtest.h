// Shared by the configurator's tests: a fixture that gives each test a fresh
// data folder and a freshly built window (plastic look, not shown), and a
// dialog answerer that records every dialog and answers questions from a queue.
#ifndef RUVELLO_CONFIGTEST_H
#define RUVELLO_CONFIGTEST_H

#include "testsupport.h"

#include <gtest/gtest.h>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class Fl_Browser;
class Fl_Double_Window;

struct dialogseen {
    int kind;
    std::string text;
};

extern std::vector<dialogseen> dialogs;  // every dialog since the test began
extern std::deque<int> answers;          // answers to the next questions; "No" (1) when empty

class configtest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string datafile(const std::string& name) const;  // full path in this test's data folder
    std::unique_ptr<scratchhome> home;
    Fl_Double_Window* window = nullptr;
};

std::vector<std::string> browserlines(Fl_Browser* browser);  // the lines as the list shows them
std::string masktimestamp(const std::string& bytes);         // line 5's time replaced by "<time>"
// The bytes of an alert-list file with description and lines, its time masked.
std::string listfilebytes(const std::string& description, const std::vector<std::string>& lines);
std::string configfilebytes(int annual, int monthly, int sound = 1);         // likewise, for the configuration file
std::string regexquote(const std::string& text);              // text as a death-test pattern matching it literally
// Installs an answerer that also prints each dialog to standard error, for death tests.
void answerdialogsonstderr();

#endif
