#include "widetext.h"

#include "fileaccess.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <windows.h>

namespace {

// The code page a byte that is not part of UTF-8 is read in.
const UINT LATINCODEPAGE = 1252;
// The most UTF-16 units one UTF-8 sequence gives (a surrogate pair).
const int PIECEUNITS = 2;

// The bytes of the UTF-8 sequence that a byte of value lead starts, 1 for a
// byte that starts none (read on its own then).
int sequencelength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// Text that is not UTF-8 throughout, one sequence at a time: each whole UTF-8
// sequence as such, any other byte as a Windows-1252 letter.
int towidebypieces(const char* text, int length, wchar_t* wide, int size) {
    int used = 0;
    for (int at = 0; at < length;) {
        wchar_t piece[PIECEUNITS];
        int sequence = sequencelength((unsigned char)text[at]);
        int units = 0;
        if (sequence > 1 && at + sequence <= length) {
            units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text + at, sequence, piece, PIECEUNITS);
        }
        if (units == 0) {
            sequence = 1;
            units = MultiByteToWideChar(LATINCODEPAGE, 0, text + at, 1, piece, PIECEUNITS);
            if (units == 0) return 1;
        }
        if (used + units >= size) return 1;
        memcpy(wide + used, piece, (size_t)units * sizeof piece[0]);
        used += units;
        at += sequence;
    }
    wide[used] = L'\0';
    return 0;
}

}  // namespace

int towide(const char* text, wchar_t* wide, int size) {
    if (size <= 0) return 1;
    int length = (int)strlen(text);
    wide[0] = L'\0';
    if (length == 0) return 0;
    // Nearly every text is UTF-8 throughout, which one call converts.
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, wide, size - 1);
    if (units > 0) {
        wide[units] = L'\0';
        return 0;
    }
    if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION && towidebypieces(text, length, wide, size) == 0) return 0;
    wide[0] = L'\0';
    return 1;
}

int fromwide(const wchar_t* wide, char* text, int size) {
    if (size <= 0) return 1;
    int length = (int)wcslen(wide);
    text[0] = '\0';
    if (length == 0) return 0;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, text, size - 1, NULL, NULL);
    if (bytes <= 0) {
        text[0] = '\0';
        return 1;
    }
    text[bytes] = '\0';
    return 0;
}

int openutf8file(const char* path, int flags, int mode) {
    // A UTF-8 path never needs more UTF-16 units than it has bytes.
    wchar_t widepath[PATHBUFSIZE];
    if (towide(path, widepath, PATHBUFSIZE) != 0) {
        errno = ENAMETOOLONG;
        return -1;
    }
    int fd = -1;
    int error = _wsopen_s(&fd, widepath, flags | _O_NOINHERIT, _SH_DENYNO, mode);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return fd;
}
