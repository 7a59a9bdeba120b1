// The test helpers of testsupport.h for the Windows test programs. Paths are
// UTF-8 in the native form, as the system gives them, and every file call is
// a wide one, so a folder with letters outside the ANSI code page works.
//
// scratchhome points the profile's "AppData" folder, where the toolkit puts
// the data folder, and LOCALAPPDATA, where the state folder lies, at a fresh
// folder, and puts both back afterwards.
#include "testsupport.h"
#include "windowsprofile.h"

#include "widetext.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>

namespace {

const wchar_t SHELLFOLDERSKEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::wstring wide(const std::string& text) {
    std::vector<wchar_t> buffer(text.size() + 1);
    if (towide(text.c_str(), buffer.data(), (int)buffer.size()) != 0) abort();
    return buffer.data();
}

std::string narrow(const std::wstring& text) {
    std::vector<char> buffer(3 * text.size() + 1);
    if (fromwide(text.c_str(), buffer.data(), (int)buffer.size()) != 0) abort();
    return buffer.data();
}

std::string getenvstring(const char* name) {
    const wchar_t* value = _wgetenv(wide(name).c_str());
    return value == NULL ? std::string() : narrow(value);
}

void setenvstring(const char* name, const std::string& value) {
    _wputenv_s(wide(name).c_str(), wide(value).c_str());
}

std::string getappdata() {
    HKEY key;
    std::string result;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SHELLFOLDERSKEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return result;
    wchar_t value[MAX_PATH * 2] = L"";
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"AppData", NULL, NULL, (BYTE*)value, &size) == ERROR_SUCCESS) result = narrow(value);
    RegCloseKey(key);
    return result;
}

void setappdata(const std::string& folder) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SHELLFOLDERSKEY, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        abort();
    std::wstring value = wide(folder);
    RegSetValueExW(key, L"AppData", 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

}  // namespace

std::string makescratchfolder() {
    static int counter = 0;
    std::string root = getenvstring("RUVELLO_TEST_ROOT");
    for (;;) {
        std::string folder = root + "\\scratch-" + std::to_string(++counter);
        if (CreateDirectoryW(wide(folder).c_str(), NULL)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            fprintf(stderr, "cannot make %s\n", folder.c_str());
            abort();
        }
    }
}

void removetree(const std::string& path) {
    std::wstring widepath = wide(path);
    DWORD attributes = GetFileAttributesW(widepath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        for (const std::string& name : folderentries(path)) removetree(path + "\\" + name);
        RemoveDirectoryW(widepath.c_str());
    } else {
        SetFileAttributesW(widepath.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(widepath.c_str());
    }
}

scratchhome::scratchhome() {
    folder = makescratchfolder();
    // On Windows the data folder follows the profile's AppData folder, not HOME.
    oldhome = getappdata();
    oldstate = getenvstring("LOCALAPPDATA");
    setappdata(folder);
    setenvstring("LOCALAPPDATA", folder + "\\Local");
}

scratchhome::~scratchhome() {
    setappdata(oldhome);
    setenvstring("LOCALAPPDATA", oldstate);
    removetree(folder);
}

accentedprofile::accentedprofile() {
    profile = home.home() + "\\Zo\xc3\xab M\xc3\xbcller \xe2\x82\xac";
    CreateDirectoryW(wide(profile).c_str(), NULL);
    CreateDirectoryW(wide(profile + "\\Roaming").c_str(), NULL);
    setappdata(profile + "\\Roaming");
    setenvstring("LOCALAPPDATA", profile + "\\Local");
}

std::string scratchhome::datafolder() const { return folder + "\\ruvello\\config\\"; }

std::string scratchhome::runtime() const { return folder + "\\run"; }

std::string readwholefile(const std::string& path) {
    std::string bytes;
    FILE* file = _wfopen(wide(path).c_str(), L"rb");
    if (file == NULL) return bytes;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

bool writewholefile(const std::string& path, const std::string& bytes) {
    FILE* file = _wfopen(wide(path).c_str(), L"wb");
    if (file == NULL) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (fclose(file) != 0) ok = false;
    return ok;
}

bool fileexists(const std::string& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

int filemode(const std::string& path) {
    // Windows has no permission bits of this kind; only presence is told.
    return fileexists(path) ? 0 : -1;
}

std::string bindir() {
    std::string dir = getenvstring("RUVELLO_BIN_DIR");
    return dir.empty() ? std::string(".") : dir;
}

std::vector<std::string> folderentries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(narrow(name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}
