// A set of whole lines, each a heap copy, keyed by its full text: the
// service's day's memory and the lines an import's merge finds already held.
//
// Use: a lineset starts as LINESETEMPTY (or through initlineset); addline-
// toset copies a line in, lineinset asks for one, and a linesetwalk started
// with startlinesetwalk gives every line once, in no particular order, until
// nextlinesetline gives NULL. movelineset hands the whole set to another
// without copying a line; freelineset releases it and leaves it empty. The set
// grows as needed, so many lines never fill it.
#ifndef RUVELLO_LINESET_H
#define RUVELLO_LINESET_H

#include <cstddef>
#include <cstdint>

struct lineset {
    char** slots;     // an open-addressing table of capacity slots, NULL where free
    size_t capacity;  // 0 or a power of two
    int count;        // the lines held
};

const lineset LINESETEMPTY = {NULL, 0, 0};

struct linesetwalk {
    const lineset* set;
    size_t slot;  // the next slot to look at
};

void initlineset(lineset* set);                           // empty, holding no memory
void freelineset(lineset* set);                           // releases every line, then empty
int addlinetoset(lineset* set, const char* line);         // 0: a copy of line is in set; 1: no memory (set unchanged)
bool lineinset(const lineset* set, const char* line);     // true when set holds line
void movelineset(lineset* to, lineset* from);             // to (empty or freed) takes from's lines; from is left empty
void startlinesetwalk(linesetwalk* walk, const lineset* set);
const char* nextlinesetline(linesetwalk* walk);           // the next line of the walk; NULL after the last
uint64_t hashline(const char* line);                      // the set's hash of a line's text (64-bit FNV-1a)

#endif
