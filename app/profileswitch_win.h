// Switching the program to another profile: the caption, the panes'
// folders, the transfer mode and browsing in step follow the profile.
#ifndef VORTO_APP_PROFILESWITCH_WIN_H
#define VORTO_APP_PROFILESWITCH_WIN_H

// Makes `name` current; refused while jobs run or when the name is invalid.
bool SetCurrentProfile(const char* name);
// Loads the current profile and pushes it into the panes and toggles.
bool ApplyCurrentProfile(bool restoreFolders);

#endif
