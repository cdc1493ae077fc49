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
// Asks for what is missing before connecting; false when the connection
// must not start (no host, or the password prompt was cancelled).
bool PrepareConnectPassword(HWND owner);
// Converts a server file time (100 ns since 1601) to UTC by the current
// profile's time zone.
uint64_t ServerTimeToUtc(uint64_t fileTime, int32_t timeZone);

#endif
