#include "robustlists.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int versionlines(int version) {
    // Mostly short lists, every seventh one long enough to take several writes.
    return version % 7 == 0 ? 3000 : 1 + version % 40;
}

std::vector<std::string> versionlist(int version, int count) {
    std::vector<std::string> lines;
    char line[128];
    for (int i = 1; i <= count; i++) {
        snprintf(line, sizeof line, "05 - version %d line %d of %d", version, i, count);
        lines.push_back(line);
    }
    return lines;
}

int listversion(const std::vector<std::string>& datalines) {
    if (datalines.empty()) return -1;
    int version = -1;
    int count = -1;
    if (sscanf(datalines[0].c_str(), "05 - version %d line 1 of %d", &version, &count) != 2) return -1;
    if (count != (int)datalines.size() || datalines != versionlist(version, count)) return -1;
    return version;
}

int listversion(const std::string& bytes) {
    const char header[] = "# Ruvello 2.0 - data file for monthly alarms\n";
    const char listhead[] = "\n# alert list\n";
    if (bytes.compare(0, strlen(header), header) != 0) return -1;
    size_t start = bytes.find(listhead);
    if (start == std::string::npos || bytes.empty() || bytes[bytes.size() - 1] != '\n') return -1;
    std::vector<std::string> lines;
    size_t at = start + strlen(listhead);
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        lines.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    return listversion(lines);
}
