// Where the user's folders are, one side for each system.
//
// homefolder is the one way the system finds the user's home: the folder
// proposed for an export, and on Linux the folder that the data folder and
// the state folder lie in. Where datafolderneedshome is true, the toolkit
// finds the data folder from that home, so a data folder is usable only with
// a home and only inside it (datafiles.cpp). statebasefolder gives the folder
// that holds the state folder (statefolder.cpp). userfolders_posix.cpp and
// userfolders_win32.cpp are the two sides; every folder is given in UTF-8.
#ifndef RUVELLO_USERFOLDERS_H
#define RUVELLO_USERFOLDERS_H

const char* homefolder();     // $HOME, on Windows %USERPROFILE%; NULL when unset or empty
bool datafolderneedshome();   // true on Linux; on Windows the toolkit finds the profile itself
// true: base (basesize bytes) holds $XDG_STATE_HOME when that is an absolute
// path, else $HOME/.local/state; on Windows %LOCALAPPDATA%. false when there is none or it does not fit.
bool statebasefolder(char* base, int basesize);

#endif
