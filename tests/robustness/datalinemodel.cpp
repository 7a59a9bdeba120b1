#include "datalinemodel.h"

std::vector<std::string> modeldatalines(const char* bytes, size_t size) {
    const size_t piecemax = 511;
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < size) {
        size_t end = at;
        while (end < size && end - at < piecemax) {
            end++;
            if (bytes[end - 1] == '\n') break;
        }
        size_t stop = at;
        while (stop < end && bytes[stop] != '\0' && bytes[stop] != '\r' && bytes[stop] != '\n') stop++;
        if (stop > at && bytes[at] >= '0' && bytes[at] <= '9') lines.push_back(std::string(bytes + at, stop - at));
        at = end;
    }
    return lines;
}
