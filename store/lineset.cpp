#include "lineset.h"

#include <cstdlib>
#include <cstring>

namespace {

// The table starts with this many slots and doubles when half full, so a
// chain of taken slots stays short.
const size_t FIRSTSLOTS = 64;

// Puts line (already owned by the table) into the first free slot of its chain.
void placeline(char** slots, size_t capacity, char* line) {
    size_t index = (size_t)hashline(line) & (capacity - 1);
    while (slots[index] != NULL) index = (index + 1) & (capacity - 1);
    slots[index] = line;
}

}  // namespace

uint64_t hashline(const char* line) {
    uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char* c = (const unsigned char*)line; *c != '\0'; c++) {
        hash ^= *c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

void initlineset(lineset* set) { *set = LINESETEMPTY; }

void freelineset(lineset* set) {
    for (size_t i = 0; i < set->capacity; i++) free(set->slots[i]);
    free(set->slots);
    initlineset(set);
}

bool lineinset(const lineset* set, const char* line) {
    if (set->capacity == 0) return false;
    size_t index = (size_t)hashline(line) & (set->capacity - 1);
    while (set->slots[index] != NULL) {
        if (strcmp(set->slots[index], line) == 0) return true;
        index = (index + 1) & (set->capacity - 1);
    }
    return false;
}

int addlinetoset(lineset* set, const char* line) {
    if ((size_t)(set->count + 1) * 2 > set->capacity) {
        size_t capacity = set->capacity == 0 ? FIRSTSLOTS : set->capacity * 2;
        char** slots = (char**)calloc(capacity, sizeof(char*));
        if (slots == NULL) return 1;
        for (size_t i = 0; i < set->capacity; i++) {
            if (set->slots[i] != NULL) placeline(slots, capacity, set->slots[i]);
        }
        free(set->slots);
        set->slots = slots;
        set->capacity = capacity;
    }
    size_t length = strlen(line);
    char* copy = (char*)malloc(length + 1);
    if (copy == NULL) return 1;
    memcpy(copy, line, length + 1);
    placeline(set->slots, set->capacity, copy);
    set->count++;
    return 0;
}

void movelineset(lineset* to, lineset* from) {
    *to = *from;
    initlineset(from);
}

void startlinesetwalk(linesetwalk* walk, const lineset* set) {
    walk->set = set;
    walk->slot = 0;
}

const char* nextlinesetline(linesetwalk* walk) {
    while (walk->slot < walk->set->capacity) {
        const char* line = walk->set->slots[walk->slot++];
        if (line != NULL) return line;
    }
    return NULL;
}
