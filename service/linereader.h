// A faster way through a long data file for the service's minute cycle. It
// gives exactly the data lines that readonedataline gives, in the same order
// (both cut the file into the same pieces and apply takedataline, datafiles.h,
// to each), but reads the file in large blocks instead of one line at a time.
//
// Use: startdatalines on a file opened for reading, nextdataline until it
// gives false, then datareadfailed on the file tells a read error from the
// end, as after readonedataline. The caller closes the file.
#ifndef RUVELLO_LINEREADER_H
#define RUVELLO_LINEREADER_H

#include <cstdio>

// Bytes read from the file at a time.
const int READBLOCKSIZE = 65536;

struct datalinereader {
    FILE* file;
    char block[READBLOCKSIZE];
    int start;        // first byte not yet handed out
    int end;          // end of the bytes read
    bool finished;    // the file gave its last byte (or a read error)
};

void startdatalines(datalinereader* reader, FILE* file);    // reads file from its current position
bool nextdataline(datalinereader* reader, char* line);      // true: line (LINEBUFSIZE bytes) holds the next data line

#endif
