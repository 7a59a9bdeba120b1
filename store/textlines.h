// A growable list of text lines: how the panel, the alarm lines' list changes
// and the export hold a list's lines in memory.
//
// Typical use:
//   textlines lines = {};
//   readdatalines(file, &lines)            every data line of an open data file appended
//   addline(&lines, "05 - rent")           one more line
//   lineat(&lines, i)                      line i, counted from 0
//   freetextlines(&lines)                  the memory given back, the list empty again
// Every function that can fail gives 0 on success and 1 when memory ran out
// (or, for readdatalines, the file could not be read).
#ifndef RUVELLO_TEXTLINES_H
#define RUVELLO_TEXTLINES_H

#include <cstddef>
#include <cstdio>

// The lines, each kept with its ending zero (growable.h).
struct textlines {
    char* bytes;       // the lines one after another
    size_t used;
    size_t capacity;
    size_t* starts;    // where each line begins in bytes
    int count;
    size_t room;       // of starts
};

int addline(textlines* list, const char* text);        // 0: appended; 1: out of memory
const char* lineat(const textlines* list, int index);  // line index, counted from 0
// 0: every data line of the open file is appended to list; 1: a read error or no memory.
int readdatalines(FILE* file, textlines* list);
void freetextlines(textlines* list);                   // frees the lines; list is then empty and reusable
// Gives line index of the textlines in context, for the writers of fileformats.h.
const char* textlinesline(int index, void* context);

#endif
