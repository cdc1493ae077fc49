// The current profile: the one profile the program works against, with
// the password actually sent at connect time.
#ifndef VORTO_PROFILES_CURRENT_WIN_H
#define VORTO_PROFILES_CURRENT_WIN_H

#include <windows.h>

#include <cstdint>

#include "profiles/profile.h"

struct CurrentProfile {
  char name[260] = {};
  ServerProfile record;
  ProfileLists lists;
  char sessionPassword[80] = {};  // never stored by itself
};

extern CurrentProfile gCurrent;

bool IsQuickConnectCurrent();
// Sets the main window's caption from the current profile's name.
void UpdateMainTitle();
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
// Asks for what is missing before connecting; false when the connection
// must not start (no host, or the password prompt was cancelled).
bool PrepareConnectPassword(HWND owner);
// Converts a server file time (100 ns since 1601) to UTC by the current
// profile's time zone.
uint64_t ServerTimeToUtc(uint64_t fileTime, int32_t timeZone);

#endif
