// The configuration panel's command-line forms alone: built from the same
// command code as ruvelloconfig.exe (config/commandline.h) and started the
// same way, but without the panel, which needs the toolkit's library for
// Windows; so they run under Wine, where that library is missing
// (exchange.sh). Without a command form it ends with status 2.
#include "commandline.h"
#include "programs.h"

#include <cstdio>

int main(int argc, char** argv) {
    ignorefilesizesignal();
    int status = runprogramarguments(argc, argv);
    if (status != NOTACOMMAND) return status;
    fputs("ruvelloconfigcommands: give one of ruvelloconfig's command-line forms\n", stderr);
    return 2;
}
