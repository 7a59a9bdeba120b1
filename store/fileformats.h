// The layouts of the data files and the one writer that replaces a data file.
//
// The configurator hands over only what a file holds: an alert list its
// description and its lines (through a function that gives line i, counted
// from 0), the configuration its two advance values. The writer lays the file
// out with its header, writes it to a temporary file beside it, and renames
// that over the data file, so a reader sees either the old file or the new
// one. writetextfile replaces any other file of ours (a state file, an export)
// in the same way, holding exactly the lines it is given. Both give 0 when the new file is in place and 1 on any failure; before
// the rename a failure leaves the old file exactly as it was. A writer killed
// between the two leaves its temporary file "<file>.<process number>.tmp";
// the next save of an alert list or of the configuration, made under the data
// files' lock (instancelock.h), takes away those of writers that no longer run.
#ifndef RUVELLO_FILEFORMATS_H
#define RUVELLO_FILEFORMATS_H

#include "fileaccess.h"

#include <cstddef>

// Gives the text of line index (0-based) of a list; context is the caller's.
typedef const char* (*listlinegetter)(int index, void* context);

// 0: the alert-list file at path now holds the header with description (DATAFILETABLE's), "# alert list" and the count lines.
int writealertlistfile(const char* path, const char* description, listlinegetter getline, int count, void* context);
// 0: the configuration file at path now holds the header, the two advance values and the sound (configfile.h).
int writeconfigfile(const char* path, int annualadvance, int monthlyadvance, int sound);
// 0: the file at path now holds exactly count lines, each ended by the platform's line end; no header.
int writetextfile(const char* path, listlinegetter getline, int count, void* context);
// As writetextfile, but only ever a new file: TEXTFILEEXISTS (and nothing
// changed) when anything already stands at path, a symbolic link included.
const int TEXTFILEEXISTS = PLACETAKEN;
int writenewtextfile(const char* path, listlinegetter getline, int count, void* context);
// 0: the file at path now holds exactly length bytes, for putting a file back as it was.
int writerawfile(const char* path, const char* bytes, size_t length);

#endif
