// A Windows profile for one test whose folder name holds letters outside the
// ANSI code page and a blank ("Zoë Müller €"), as many profile names do.
//
// It is a scratchhome (testsupport.h) whose AppData folder, where every
// program finds the data folder, is profile\Roaming and whose LOCALAPPDATA,
// where the state folder lies, is profile\Local; both are put back afterwards.
#ifndef RUVELLO_WINDOWSPROFILE_H
#define RUVELLO_WINDOWSPROFILE_H

#include "testsupport.h"

#include <string>

struct accentedprofile {
    accentedprofile();
    scratchhome home;
    std::string profile;  // UTF-8, the native form
};

#endif
