// Entry point of the Windows test programs. Before any test runs,
// RUVELLO_TEST_ROOT names a fresh folder in the profile's temporary folder,
// its name holding a blank, so that no test can reach the real data folder
// and every path tested has the blank that profile paths often have.
#include "testsupport.h"

#include "widetext.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <windows.h>

int main(int argc, char** argv) {
    wchar_t temporary[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
    if (length == 0 || length > MAX_PATH) {
        fputs("no temporary folder\n", stderr);
        return 2;
    }
    char folder[3 * (MAX_PATH + 1)];
    if (fromwide(temporary, folder, sizeof folder) != 0) return 2;
    std::string root = std::string(folder) + "ruvello tests " + std::to_string(GetCurrentProcessId());
    wchar_t wideroot[3 * (MAX_PATH + 1)];
    if (towide(root.c_str(), wideroot, 3 * (MAX_PATH + 1)) != 0 || !CreateDirectoryW(wideroot, NULL)) {
        fprintf(stderr, "cannot make %s\n", root.c_str());
        return 2;
    }
    _wputenv_s(L"RUVELLO_TEST_ROOT", wideroot);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    removetree(root);
    return result;
}
