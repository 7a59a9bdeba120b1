// The per-user state folder: what the programs keep for themselves beside the
// user's data, such as the service's memory of what it announced and the
// copies made before an import. It is never the data folder, so nothing in it
// is ever exported, imported or synchronised with the alarms.
//
// Typical use: form a path with getstatefilename (check its result), then read
// the file with openforreading or replace it with writetextfile.
// Linux: $XDG_STATE_HOME/ruvello/ when XDG_STATE_HOME is an absolute path, else
// $HOME/.local/state/ruvello/. Windows: %LOCALAPPDATA%\ruvello\. The folder is
// created when missing, for its owner only.
#ifndef RUVELLO_STATEFOLDER_H
#define RUVELLO_STATEFOLDER_H

// 0: path (PATHBUFSIZE bytes) holds the full path of the file called name in
//    the state folder, which exists.
// 1: the folder is unusable (no home, too long, cannot be created); path then
//    holds as much of the would-be path as fits, for the caller's message.
int getstatefilename(char* path, const char* name);

#endif
