// The file calls of the store on Windows. Every path is UTF-8, as the toolkit
// gives it; it reaches Windows through the wide calls (widetext.h), since the
// ANSI calls would read it in another code page.
#include "fileaccess.h"

#include "widetext.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

const char LINEEND[] = "\r\n";
const char FOLDERSEPARATOR = '\\';

namespace {

// A file in use is tried again this often, this far apart: two seconds in all.
const int REPLACEATTEMPTS = 100;
const int REPLACERETRYMILLISECONDS = 20;

}  // namespace

FILE* openregularfile(const char* path) {
    // Others may rename or delete the file while it is read: the configurator
    // then replaces a list that the service is reading, and the reader keeps
    // the old file. The handle is not inherited by a message box started
    // meanwhile. Only a file on disk is a data file; a folder cannot be opened
    // this way at all. errno tells a missing file (ENOENT) from one that
    // cannot be read, as on Linux.
    wchar_t widepath[PATHBUFSIZE];
    if (towide(path, widepath, PATHBUFSIZE) != 0) {
        errno = ENAMETOOLONG;
        return NULL;
    }
    HANDLE handle = CreateFileW(widepath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
        return NULL;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        errno = EINVAL;
        return NULL;
    }
    int fd = _open_osfhandle((intptr_t)handle, _O_RDONLY | _O_TEXT);
    if (fd < 0) {
        CloseHandle(handle);
        return NULL;
    }
    FILE* file = _fdopen(fd, "r");
    if (file == NULL) _close(fd);
    return file;
}

int createexclusive(const char* path) {
    int fd = openutf8file(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno;
    if (_close(fd) != 0) return errno;
    return 0;
}

// The profile's folders are the user's own already.
void makefileprivate(const char*) {}

int makefolderprivate(const char*) { return 0; }

bool makefolder(const char* folder) {
    wchar_t wide[PATHBUFSIZE];
    if (towide(folder, wide, PATHBUFSIZE) != 0) return false;
    if (_wmkdir(wide) == 0 || errno == EEXIST) {
        DWORD attributes = GetFileAttributesW(wide);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    return false;
}

char* lastseparator(char* path) {
    char* slash = strrchr(path, '/');
    char* backslash = strrchr(path, '\\');
    return backslash != NULL && (slash == NULL || backslash > slash) ? backslash : slash;
}

// A data path names its file itself.
int followlinks(char*, int) { return 0; }

unsigned long processnumber() { return (unsigned long)GetCurrentProcessId(); }

bool processisrunning(unsigned long number) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, (DWORD)number);
    // No such process: the number is not in use. Any other refusal may hide a running one.
    if (process == NULL) return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

int forentriesnamed(const char* folder, const char* prefix, entryvisitor each, void* context) {
    char pattern[PATHBUFSIZE];
    int written = snprintf(pattern, sizeof pattern, "%s\\%s*", folder, prefix);
    wchar_t widepattern[PATHBUFSIZE];
    if (written < 0 || written >= (int)sizeof pattern || towide(pattern, widepattern, PATHBUFSIZE) != 0) return 1;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(widepattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : 1;
    do {
        char name[PATHBUFSIZE];
        if (fromwide(entry.cFileName, name, sizeof name) == 0) each(name, context);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return 0;
}

int opentemporary(const char* temporary) {
    return openutf8file(temporary, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool writeall(int fd, const char* bytes, size_t length) {
    size_t done = 0;
    while (done < length) {
        int written = _write(fd, bytes + done, (unsigned)(length - done));
        if (written <= 0) return false;
        done += (size_t)written;
    }
    return true;
}

int closewritten(int fd, bool sync) {
    bool failed = sync && !FlushFileBuffers((HANDLE)_get_osfhandle(fd));
    if (_close(fd) != 0) failed = true;
    return failed ? 1 : 0;
}

int replacewithtemporary(const char* temporary, const char* target) {
    wchar_t widetemporary[TARGETBUFSIZE];
    wchar_t widetarget[TARGETBUFSIZE];
    if (towide(temporary, widetemporary, TARGETBUFSIZE) != 0 || towide(target, widetarget, TARGETBUFSIZE) != 0) return 1;
    // A reader that has the file open (the service, for a moment each minute)
    // keeps it from being replaced until it closes it: try again for a while.
    for (int attempt = 1;; attempt++) {
        if (MoveFileExW(widetemporary, widetarget, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == REPLACEATTEMPTS) return 1;
        Sleep(REPLACERETRYMILLISECONDS);
    }
}

int placetemporary(const char* temporary, const char* target) {
    wchar_t widetemporary[TARGETBUFSIZE];
    wchar_t widetarget[TARGETBUFSIZE];
    if (towide(temporary, widetemporary, TARGETBUFSIZE) != 0 || towide(target, widetarget, TARGETBUFSIZE) != 0) return 1;
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a taken name.
    if (MoveFileExW(widetemporary, widetarget, MOVEFILE_WRITE_THROUGH)) return 0;
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? PLACETAKEN : 1;
}

void removefile(const char* path) {
    wchar_t widepath[TARGETBUFSIZE];
    if (towide(path, widepath, TARGETBUFSIZE) == 0) DeleteFileW(widepath);
}

// File names on Windows are the same whatever the case of their letters.
bool samefile(const char* path, const char* other) { return _stricmp(path, other) == 0; }

bool openfilestamp(FILE* file, unsigned long long* device, unsigned long long* inode, unsigned long long* size,
                   long long* seconds, long* nanoseconds) {
    BY_HANDLE_FILE_INFORMATION information;
    HANDLE handle = (HANDLE)_get_osfhandle(_fileno(file));
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information)) return false;
    *device = information.dwVolumeSerialNumber;
    *inode = ((unsigned long long)information.nFileIndexHigh << 32) | information.nFileIndexLow;
    *size = ((unsigned long long)information.nFileSizeHigh << 32) | information.nFileSizeLow;
    unsigned long long ticks =
        ((unsigned long long)information.ftLastWriteTime.dwHighDateTime << 32) | information.ftLastWriteTime.dwLowDateTime;
    *seconds = (long long)(ticks / 10000000ULL);
    *nanoseconds = (long)(ticks % 10000000ULL) * 100;
    return true;
}
