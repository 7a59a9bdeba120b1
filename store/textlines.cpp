#include "textlines.h"

#include "datafiles.h"
#include "growable.h"

#include <cstdlib>
#include <cstring>

int addline(textlines* list, const char* text) {
    size_t length = strlen(text) + 1;
    if (makeroom(&list->bytes, &list->capacity, list->used + length) != 0 ||
        makeroom(&list->starts, &list->room, (size_t)list->count + 1) != 0) {
        return 1;
    }
    memcpy(list->bytes + list->used, text, length);
    list->starts[list->count++] = list->used;
    list->used += length;
    return 0;
}

const char* lineat(const textlines* list, int index) { return list->bytes + list->starts[index]; }

int readdatalines(FILE* file, textlines* list) {
    char line[LINEBUFSIZE];
    while (readonedataline(file, line)) {
        if (addline(list, line) != 0) return 1;
    }
    return datareadfailed(file) ? 1 : 0;
}

void freetextlines(textlines* list) {
    free(list->bytes);
    free(list->starts);
    memset(list, 0, sizeof *list);
}

const char* textlinesline(int index, void* context) { return lineat((const textlines*)context, index); }
