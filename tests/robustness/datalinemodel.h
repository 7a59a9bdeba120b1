// What the data-line reader must give for a file's bytes, worked out byte by
// byte without the C library's line reading that the reader uses: pieces of at most 511
// bytes that end after a line feed, a piece that begins with a zero byte
// skipped, each piece cut at its first zero byte, carriage return or line feed,
// and only the pieces that then begin with an ASCII digit kept.
#ifndef RUVELLO_DATALINEMODEL_H
#define RUVELLO_DATALINEMODEL_H

#include <cstddef>
#include <string>
#include <vector>

std::vector<std::string> modeldatalines(const char* bytes, size_t size);  // the data lines, in file order

#endif
