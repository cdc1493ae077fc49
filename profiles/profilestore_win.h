// Server profiles in the registry: Config\<name> holds "Cust" (the record
// with its password protected), the four name lists and the last folders.
#ifndef VORTO_PROFILES_PROFILESTORE_WIN_H
#define VORTO_PROFILES_PROFILESTORE_WIN_H

#include <windows.h>

#include <string>
#include <vector>

#include "profiles/profile.h"

enum CopyProfileMode { kCopyEdit = 0, kCopyDuplicate = 1, kCopyMove = 2 };

bool ProfileExists(const char* name);
// Fills defaults first; true only when "Cust" was read.
bool LoadProfile(const char* name, ServerProfile& profile, ProfileLists& lists);
// False when the name is refused or a key cannot be opened.
bool SaveProfile(const char* name, const ServerProfile& profile, const ProfileLists& lists);
bool DeleteProfile(HWND owner, const char* name);
bool CopyProfile(HWND owner, const char* source, const char* newName, int mode);
std::vector<std::string> EnumerateProfiles();

#endif
