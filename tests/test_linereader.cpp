#include "datafiles.h"
#include "linereader.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The data lines of bytes as readonedataline gives them and as nextdataline does.
void readbothways(const std::string& bytes, std::vector<std::string>* slow, std::vector<std::string>* fast) {
    std::string path = makescratchfolder() + "/lines.dat";
    ASSERT_TRUE(writewholefile(path, bytes));
    char line[LINEBUFSIZE];
    FILE* file = fopen(path.c_str(), "r");
    ASSERT_NE(nullptr, file);
    while (readonedataline(file, line)) slow->push_back(line);
    EXPECT_FALSE(datareadfailed(file));
    fclose(file);
    static datalinereader reader;
    file = fopen(path.c_str(), "r");
    ASSERT_NE(nullptr, file);
    startdatalines(&reader, file);
    while (nextdataline(&reader, line)) fast->push_back(line);
    EXPECT_FALSE(datareadfailed(file));
    fclose(file);
}

}  // namespace

TEST(LineReader, GivesExactlyTheLinesOfTheLineReaderOnTrickyFiles) {
    std::vector<std::string> files = {
        "",
        "# only comments\n\n#\n",
        "05 - a\r\n12 - b\n7 no end",
        std::string(511, '1') + "\n" + std::string(510, '2') + "\r\n3",
        "1" + std::string(599, 'x') + "\n" + std::string(1100, '4') + "\n",
        std::string("5\0after zero\n\0" "6 hidden\n7\r8 after cr\n", 34),
        " 9 space\n#1\nx2\n\xff" "3\n\xd9\n0\n",
    };
    // Long files cross the block boundary at every offset near it.
    std::string many;
    for (int i = 0; many.size() < 3 * READBLOCKSIZE; i++) many += std::to_string(i % 1000) + std::string(i % 517, 'y') + (i % 3 ? "\n" : "\r\n");
    files.push_back(many);
    unsigned seed = 7;
    for (int n = 0; n < 20; n++) {
        std::string noise;
        for (int i = 0; i < 150000; i++) {
            seed = seed * 1103515245u + 12345u;
            int pick = (seed >> 16) % 16;
            noise += pick < 6 ? (char)('0' + pick) : pick < 9 ? '\n' : pick == 9 ? '\r' : pick == 10 ? '\0' : (char)(seed >> 8);
        }
        files.push_back(noise);
    }
    for (size_t i = 0; i < files.size(); i++) {
        std::vector<std::string> slow, fast;
        readbothways(files[i], &slow, &fast);
        EXPECT_TRUE(slow == fast) << "file " << i << ": " << slow.size() << " lines against " << fast.size();
    }
}
