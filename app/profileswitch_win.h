// Switching the program to another profile: the caption, the panes'
// folders, the transfer mode and browsing in step follow the profile.
#ifndef VORTO_APP_PROFILESWITCH_WIN_H
#define VORTO_APP_PROFILESWITCH_WIN_H

#include <cstdint>

// Completion flags of a disconnect that switches profiles: the job's
// `directory` holds the profile to make current once no connection is
// left; with kSwitchThenConnect it is connected, and with both that and
// kSwitchQuickEntry the quick-connect entry waiting for the switch is
// applied first.
constexpr uint32_t kDoneSwitchProfile = 0x10000000;
constexpr uint32_t kSwitchThenConnect = 0x80000000;
constexpr uint32_t kSwitchQuickEntry = 0x200000;

// Makes `name` current; refused while jobs run or when the name is
// invalid. While connected the user is asked first: on Yes a disconnect
// starts that carries the name and `continuation` (kSwitchThenConnect,
// kSwitchQuickEntry) to its completion, where the switch is made; the
// call returns false in both cases.
bool SetCurrentProfile(const char* name, uint32_t continuation = 0);
// Loads the current profile and pushes it into the panes and toggles.
bool ApplyCurrentProfile(bool restoreFolders);

#endif
