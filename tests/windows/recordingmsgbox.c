/* A stand-in for ruvellomsgbox.exe in the Windows tests: it shows nothing and
 * appends one line to the file named by RUVELLO_RECORD: the number of
 * arguments on its wide command line, '|', and its first argument in UTF-8.
 * When RUVELLO_RECORD_DUE names a file too, the RUVELLO_DUE it was started
 * with is appended there, one line a run. One write per file and run, so
 * copies started together never mix their lines. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <shellapi.h>

/* Appends bytes to the file named by path in one write; 0 when written. */
static int appendto(const wchar_t* path, const char* bytes, int length) {
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD done = 0;
    BOOL ok = WriteFile(file, bytes, (DWORD)length, &done, NULL);
    CloseHandle(file);
    return ok && done == (DWORD)length ? 0 : 3;
}

int main(void) {
    /* Room for a long line in UTF-8 and the count before it. */
    static char record[8192];
    const wchar_t* log = _wgetenv(L"RUVELLO_RECORD");
    if (log == NULL) return 3;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL) return 3;
    int used = snprintf(record, sizeof record, "%d|", count - 1);
    if (count > 1) {
        int written = WideCharToMultiByte(CP_UTF8, 0, arguments[1], -1, record + used, (int)sizeof record - used - 2,
                                          NULL, NULL);
        if (written <= 0) return 3;
        used += written - 1;
    }
    record[used++] = '\n';
    LocalFree(arguments);
    const wchar_t* duelog = _wgetenv(L"RUVELLO_RECORD_DUE");
    if (duelog != NULL) {
        static char due[256];
        const wchar_t* value = _wgetenv(L"RUVELLO_DUE");
        int length = value == NULL ? 0 : WideCharToMultiByte(CP_UTF8, 0, value, -1, due, (int)sizeof due - 1, NULL, NULL);
        length = length > 0 ? length - 1 : 0;
        due[length++] = '\n';
        if (appendto(duelog, due, length) != 0) return 3;
    }
    return appendto(log, record, used);
}
