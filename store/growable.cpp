#include "growable.h"

#include <cstdint>
#include <cstdlib>

int growblock(void** items, size_t* capacity, size_t needed, size_t itemsize) {
    if (needed <= *capacity) return 0;
    size_t room = *capacity == 0 ? FIRSTROOM : *capacity;
    while (room < needed) {
        if (room > SIZE_MAX / 2) return 1;
        room *= 2;
    }
    if (room > SIZE_MAX / itemsize) return 1;
    void* grown = realloc(*items, room * itemsize);
    if (grown == NULL) return 1;
    *items = grown;
    *capacity = room;
    return 0;
}
