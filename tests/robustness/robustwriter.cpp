// A stand-in for the configurator's saves, for the robustness tests: it writes
// data files through the store's writer and nothing else.
//
//   robustwriter list <path> <version> <lines>   one alert list, exit status the writer's result
//   robustwriter config <path> <annual> <monthly> one configuration file, likewise
//   robustwriter loop <path> <first> <count> [<config>]
//                                                versions first, first+1, ... in turn; count 0 runs
//                                                until killed; exits 1 at the first failed write;
//                                                with <config>, that configuration file is
//                                                rewritten after each version too (annual
//                                                1 + v % 30, monthly v % 11: always valid)
//
// Version v of a list holds versionlines(v) lines "05 - version v line i of n",
// so a reader can tell a complete file of one version from anything else.
#include "configfile.h"
#include "fileformats.h"
#include "robustlists.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* vectorline(int index, void* context) {
    return (*(std::vector<std::string>*)context)[index].c_str();
}

int writeversion(const char* path, int version, int count) {
    std::vector<std::string> lines = versionlist(version, count);
    return writealertlistfile(path, "data file for monthly alarms", vectorline, (int)lines.size(), &lines);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && strcmp(argv[1], "list") == 0) return writeversion(argv[2], atoi(argv[3]), atoi(argv[4]));
    if (argc == 5 && strcmp(argv[1], "config") == 0) return writeconfigfile(argv[2], atoi(argv[3]), atoi(argv[4]), DEFAULTSOUND);
    if ((argc == 5 || argc == 6) && strcmp(argv[1], "loop") == 0) {
        long first = atol(argv[3]);
        long count = atol(argv[4]);
        for (long version = first; count == 0 || version < first + count; version++) {
            if (writeversion(argv[2], (int)version, versionlines((int)version)) != 0) return 1;
            if (argc == 6 && writeconfigfile(argv[5], 1 + (int)(version % 30), (int)(version % 11), DEFAULTSOUND) != 0) return 1;
        }
        return 0;
    }
    fprintf(stderr, "usage: robustwriter list|config|loop <path> <a> <b>\n");
    return 2;
}
