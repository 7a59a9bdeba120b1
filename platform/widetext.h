// UTF-8 text handed to the Windows calls that take UTF-16, and back.
//
// Every text of the system is UTF-8: the toolkit gives the data folder and
// the input fields' text in it, and the lists keep it. Windows' ANSI calls
// read their text in the ANSI code page instead, so a path or an alarm line
// holding a letter such as 'ë' would reach them changed. Such text goes
// through the wide calls: convert it with towide, call the ...W function, and
// convert what a wide call gives back with fromwide; openutf8file opens a
// file named by a UTF-8 path for writing.
// Only the Windows sides of the platform layer and the Windows tests use these
// (widetext_win32.cpp); on Linux the system calls take UTF-8 paths as they are.
#ifndef RUVELLO_WIDETEXT_H
#define RUVELLO_WIDETEXT_H

#include <cwchar>

// 0: wide holds text in UTF-16. 1: it needs more than size units; wide is then
// empty. Bytes that are not UTF-8 are taken as Windows-1252 letters, as the
// toolkit's own conversion does, so an old Latin-1 list still reads well.
int towide(const char* text, wchar_t* wide, int size);
// 0: text holds wide in UTF-8. 1: it needs more than size bytes; text is then empty.
int fromwide(const wchar_t* wide, char* text, int size);
// _wsopen_s for a UTF-8 path, never inherited by started programs: the
// descriptor, or -1 with errno set (ENAMETOOLONG when the path cannot be converted).
int openutf8file(const char* path, int flags, int mode);

#endif
