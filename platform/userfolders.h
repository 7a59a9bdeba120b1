// Where the user's folders are, one side for each system.
//
// homefolder is the one way the system finds the user's home: the folder
// proposed for an export, and on Linux the folder that the data folder and
// the state folder lie in. userdatafolder is the one way every program finds
// the data folder (datafiles.cpp asks it for each data file's path). Where
// datafolderneedshome is true, that folder is found from the home, so a data
// folder is usable only with a home and only inside it (datafiles.cpp).
// statebasefolder gives the folder that holds the state folder
// (statefolder.cpp). userfolders_posix.cpp and userfolders_win32.cpp are the
// two sides; every folder is given in UTF-8.
#ifndef RUVELLO_USERFOLDERS_H
#define RUVELLO_USERFOLDERS_H

const char* homefolder();     // $HOME, on Windows %USERPROFILE%; NULL when unset or empty
bool datafolderneedshome();   // true on Linux; on Windows the data folder lies in the profile's AppData
// Gives in folder (size bytes) the data folder, "<base>/ruvello/config/" with
// '/' between its parts and a closing '/', and creates what is missing of it.
// The base is the toolkit's user data area on Linux ($HOME/.fltk), and on
// Windows the AppData folder that the user's Shell Folders key names, the very
// folder the toolkit's preferences give there, so that data stays where an
// earlier version kept it. false when there is none or it does not fit; the
// caller still checks the folder it was given (the toolkit may cut it short).
bool userdatafolder(char* folder, int size);
// true: base (basesize bytes) holds $XDG_STATE_HOME when that is an absolute
// path, else $HOME/.local/state; on Windows %LOCALAPPDATA%. false when there is none or it does not fit.
bool statebasefolder(char* base, int basesize);
// $XDG_RUNTIME_DIR, where the lock files lie; NULL when unset or empty, and always on Windows.
const char* runtimefolder();

#endif
