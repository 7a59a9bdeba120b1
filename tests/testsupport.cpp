#include "testsupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string getenvstring(const char* name) {
    const char* value = getenv(name);
    return value == NULL ? std::string() : std::string(value);
}

void restoreenv(const char* name, const std::string& value) {
    if (value.empty()) unsetenv(name);
    else setenv(name, value.c_str(), 1);
}

}  // namespace

std::string makescratchfolder() {
    std::string root = getenvstring("RUVELLO_TEST_ROOT");
    if (root.empty()) root = "/tmp";
    std::string pattern = root + "/scratch-XXXXXX";
    char* made = mkdtemp(&pattern[0]);
    if (made == NULL) {
        perror("mkdtemp");
        abort();
    }
    return pattern;
}

void removetree(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return;
    if (S_ISDIR(info.st_mode)) {
        chmod(path.c_str(), 0700);
        DIR* folder = opendir(path.c_str());
        if (folder != NULL) {
            struct dirent* entry;
            while ((entry = readdir(folder)) != NULL) {
                if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
                removetree(path + "/" + entry->d_name);
            }
            closedir(folder);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

scratchhome::scratchhome() {
    folder = makescratchfolder();
    oldhome = getenvstring("HOME");
    oldruntime = getenvstring("XDG_RUNTIME_DIR");
    oldstate = getenvstring("XDG_STATE_HOME");
    setenv("HOME", folder.c_str(), 1);
    setenv("XDG_STATE_HOME", (folder + "/.local/state").c_str(), 1);
    std::string run = runtime();
    mkdir(run.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
}

scratchhome::~scratchhome() {
    restoreenv("HOME", oldhome);
    restoreenv("XDG_RUNTIME_DIR", oldruntime);
    restoreenv("XDG_STATE_HOME", oldstate);
    removetree(folder);
}

std::string scratchhome::datafolder() const { return folder + "/.fltk/ruvello/config/"; }

std::string scratchhome::runtime() const { return folder + "/run"; }

std::string readwholefile(const std::string& path) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL) return bytes;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

bool writewholefile(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == NULL) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (fclose(file) != 0) ok = false;
    return ok;
}

bool fileexists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

int filemode(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return -1;
    return (int)(info.st_mode & 07777);
}

std::string bindir() {
    std::string dir = getenvstring("RUVELLO_BIN_DIR");
    return dir.empty() ? std::string(".") : dir;
}

std::string owntemporary(const std::string& path) { return path + "." + std::to_string(getpid()) + ".tmp"; }

int removetemporaries(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
    int removed = 0;
    for (const std::string& name : folderentries(folder)) {
        bool numbered = name.size() > prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
                        name.compare(name.size() - 4, 4, ".tmp") == 0 &&
                        name.find_first_not_of("0123456789", prefix.size()) == name.size() - 4;
        if (numbered && unlink((folder + "/" + name).c_str()) == 0) removed++;
    }
    return removed;
}

std::vector<std::string> folderentries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == NULL) return names;
    struct dirent* entry;
    while ((entry = readdir(dir)) != NULL) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}
