#include "lineset.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

// The set's lines as its walk gives them; a line given twice fails.
std::multiset<std::string> walked(const lineset* set) {
    std::multiset<std::string> lines;
    linesetwalk walk;
    startlinesetwalk(&walk, set);
    for (const char* line = nextlinesetline(&walk); line != NULL; line = nextlinesetline(&walk)) lines.insert(line);
    EXPECT_EQ(nullptr, nextlinesetline(&walk)) << "a finished walk stays finished";
    return lines;
}

}  // namespace

// Lines that differ only at their end, or are prefixes of each other, are
// different lines; the walk gives each once, also after the table grew many times.
TEST(LineSet, HoldsWholeLinesAndItsWalkGivesEachOnceAcrossGrowth) {
    lineset set = LINESETEMPTY;
    EXPECT_FALSE(lineinset(&set, "05 - x"));
    EXPECT_TRUE(walked(&set).empty());
    std::set<std::string> added;
    for (int i = 0; i < 3000; i++) {
        std::string line = "05 - reminder " + std::to_string(i % 1500) + std::string(i / 1500, '!');
        ASSERT_EQ(0, addlinetoset(&set, line.c_str()));
        added.insert(line);
    }
    EXPECT_EQ(3000, set.count);
    EXPECT_TRUE(lineinset(&set, "05 - reminder 7!"));
    EXPECT_FALSE(lineinset(&set, "05 - reminder 7!!"));
    EXPECT_FALSE(lineinset(&set, "05 - reminder"));
    EXPECT_EQ(std::multiset<std::string>(added.begin(), added.end()), walked(&set));

    // A move hands every line over and leaves a set that starts afresh.
    lineset taken = LINESETEMPTY;
    movelineset(&taken, &set);
    EXPECT_EQ(0, set.count);
    EXPECT_FALSE(lineinset(&set, "05 - reminder 7!"));
    EXPECT_TRUE(lineinset(&taken, "05 - reminder 7!"));
    ASSERT_EQ(0, addlinetoset(&set, "01 - new"));
    EXPECT_EQ(std::multiset<std::string>{"01 - new"}, walked(&set));
    freelineset(&set);
    freelineset(&taken);
    EXPECT_EQ(0, taken.count);
    EXPECT_TRUE(walked(&taken).empty());
}
