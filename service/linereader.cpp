#include "linereader.h"

#include "datafiles.h"

#include <cctype>
#include <cstring>

namespace {

// The most that one read of the line reader takes: a 512-byte buffer less its zero.
const int PIECE = LINEBUFSIZE - 1;

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
        // The piece is text up to its first zero byte, cut at its first
        // carriage return or line feed; only one that begins with a digit is a
        // data line (a cut piece that begins with a digit keeps it).
        if (!isdigit((unsigned char)piece[0])) continue;
        int used = 0;
        while (used < length && piece[used] != '\0' && piece[used] != '\r' && piece[used] != '\n') used++;
        memcpy(line, piece, used);
        line[used] = '\0';
        return true;
    }
}
