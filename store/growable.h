// The one growable array of the system: a heap block of items of one type
// that grows by doubling, so that adding items one at a time costs little.
//
// Use: keep a typed pointer (NULL at first) and its capacity in items (0 at
// first); before writing item n, makeroom(&items, &capacity, n + 1). The
// caller frees the block with free. On failure the block and its capacity
// are left as they were, so nothing already held is lost.
#ifndef RUVELLO_GROWABLE_H
#define RUVELLO_GROWABLE_H

#include <cstddef>

// The items an array has room for when it first grows.
const size_t FIRSTROOM = 16;

// 0: *items has room for at least needed items of itemsize bytes, those it
// held kept; 1: memory for that cannot be had.
int growblock(void** items, size_t* capacity, size_t needed, size_t itemsize);

template <typename item>
int makeroom(item** items, size_t* capacity, size_t needed) {
    void* block = *items;
    int result = growblock(&block, capacity, needed, sizeof(item));
    *items = (item*)block;
    return result;
}

#endif
