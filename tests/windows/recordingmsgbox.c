/* A stand-in for ruvellomsgbox.exe in the Windows tests: it shows nothing and
 * appends one line to the file named by RUVELLO_RECORD: the number of
 * arguments on its wide command line, '|', and its first argument in UTF-8.
 * One write per run, so copies started together never mix their lines. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <shellapi.h>

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
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD done = 0;
    BOOL ok = WriteFile(file, record, (DWORD)used, &done, NULL);
    CloseHandle(file);
    LocalFree(arguments);
    return ok && done == (DWORD)used ? 0 : 3;
}
