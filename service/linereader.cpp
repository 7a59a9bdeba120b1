#include "linereader.h"

#include "datafiles.h"

#include <cstring>

namespace {

// The most that one read of the line reader takes.
const int PIECE = DATAPIECEMAX;

// Keeps at least a whole piece in the block unless the file has ended.
void fill(datalinereader* reader) {
    if (reader->finished || reader->end - reader->start >= PIECE) return;
    int left = reader->end - reader->start;
    memmove(reader->block, reader->block + reader->start, left);
    reader->start = 0;
    reader->end = left;
    while (!reader->finished && reader->end < READBLOCKSIZE) {
        size_t got = fread(reader->block + reader->end, 1, READBLOCKSIZE - reader->end, reader->file);
        reader->end += (int)got;
        // A short read is the end or a read error; the file's error flag tells
        // which, for datareadfailed, and no more is read either way.
        if (got == 0 || ferror(reader->file) || feof(reader->file)) reader->finished = true;
    }
}

}  // namespace

void startdatalines(datalinereader* reader, FILE* file) {
    reader->file = file;
    reader->start = 0;
    reader->end = 0;
    reader->finished = false;
}

bool nextdataline(datalinereader* reader, char* line) {
    for (;;) {
        fill(reader);
        if (reader->start == reader->end) return false;
        // One piece, as the line reader takes it: up to and with a line feed,
        // at most PIECE bytes.
        const char* piece = reader->block + reader->start;
        int available = reader->end - reader->start;
        if (available > PIECE) available = PIECE;
        const char* feed = (const char*)memchr(piece, '\n', available);
        int length = feed != NULL ? (int)(feed - piece) + 1 : available;
        reader->start += length;
        if (takedataline(piece, length, line)) return true;
    }
}
