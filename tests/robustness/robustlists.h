// Numbered versions of an alert list, as the robustness tests write and check
// them. Version v holds versionlines(v) lines "05 - version v line i of n"
// (i counted from 1); listversion reads a whole file back and names the one
// version it holds completely, or -1 when it holds anything else: a mixture of
// versions, a list cut short, a missing header or a missing last line end.
#ifndef RUVELLO_ROBUSTLISTS_H
#define RUVELLO_ROBUSTLISTS_H

#include <string>
#include <vector>

int versionlines(int version);                                  // lines in version v: 1 to 3000, some beyond the writer's buffer
std::vector<std::string> versionlist(int version, int count);   // the lines of version v when it holds count lines
int listversion(const std::string& bytes);                      // the version the file's bytes hold whole, or -1
int listversion(const std::vector<std::string>& datalines);     // the version the data lines hold whole, or -1
// The configurator's saves as the driver makes them: a monthly list of lines
// "05 - entry n" for consecutive n, and a configuration file.
int lastentry(const std::string& bytes);        // the last n of a complete monthly list, 0 when empty, -1 when broken
bool configcomplete(const std::string& bytes);  // true when bytes are a whole configuration file of valid values

#endif
