// Helpers shared by the test binaries.
//
// scratchhome gives one test a fresh HOME, XDG_RUNTIME_DIR and XDG_STATE_HOME in a temporary
// folder and removes it afterwards, so no test sees another's data folder and
// none ever touches the real one. The file helpers read and write whole files.
#ifndef RUVELLO_TESTSUPPORT_H
#define RUVELLO_TESTSUPPORT_H

#include <string>
#include <vector>

class scratchhome {
public:
    scratchhome();
    ~scratchhome();
    const std::string& home() const { return folder; }   // the temporary HOME
    std::string datafolder() const;                      // HOME/.fltk/ruvello/config/
    std::string runtime() const;                         // the temporary XDG_RUNTIME_DIR

private:
    std::string folder;
    std::string oldhome;
    std::string oldruntime;
    std::string oldstate;
    scratchhome(const scratchhome&) = delete;
    scratchhome& operator=(const scratchhome&) = delete;
};

std::string makescratchfolder();                         // a new empty folder below the test's temporary root
void removetree(const std::string& path);                // removes a file or folder tree, links not followed
std::string readwholefile(const std::string& path);      // the file's bytes, empty when it cannot be read
bool writewholefile(const std::string& path, const std::string& bytes);  // true when written
bool fileexists(const std::string& path);                // true when anything (even a dangling link) stands there
int filemode(const std::string& path);                   // permission bits, -1 when missing
std::vector<std::string> folderentries(const std::string& folder);  // names in folder, sorted, "." and ".." left out
// The writer's temporary file for path in this process: "<path>.<process number>.tmp".
std::string owntemporary(const std::string& path);
int removetemporaries(const std::string& path);           // removes every writer's "<path>.<number>.tmp"; how many there were
std::string bindir();                                    // the build's bin/ folder with the programs

#endif
