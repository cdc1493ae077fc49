#include "profiles/profilestore_win.h"

#include <cstring>

#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "profiles/password_win.h"
#include "res/resource.h"

namespace {
const char* const kListNames[4] = {"AsciiTypeArray", "NotTransArray", "NotDeleteArray", "PermissionTypeArray"};

std::vector<std::string>* ListSlots(ProfileLists& lists, int i) {
  std::vector<std::string>* slots[4] = {&lists.asciiTypes, &lists.notTransferred, &lists.notDeleted,
                                        &lists.permissionTypes};
  return slots[i];
}

bool ReadCust(HKEY key, ServerProfile& profile) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, "Cust", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_BINARY || (size != kProfileSize && size != kEarlyProfileSize)) return false;
  ServerProfile copy = profile;  // defaults stay in the tail of the shorter form
  DWORD got = size;
  if (RegQueryValueExA(key, "Cust", nullptr, &type, reinterpret_cast<BYTE*>(&copy), &got) != ERROR_SUCCESS ||
      got != size)
    return false;
  if (size == kEarlyProfileSize) {
    copy.sftpPort = 22;
    copy.sftpTextMode = 1;
    std::memset(copy.privateKeyFile, 0, sizeof copy.privateKeyFile);
  }
  profile = copy;
  return true;
}

void RecoverPassword(ServerProfile& profile) {
  int32_t stored = profile.protectedPasswordLength;
  profile.protectedPasswordLength = 0;
  DWORD plain = 0;
  // A stored length beyond the field, or a form that does not decrypt,
  // means no password; the user is asked for it when connecting.
  if (stored > 0 && stored <= static_cast<int32_t>(sizeof profile.password) &&
      UnprotectPassword(reinterpret_cast<BYTE*>(profile.password), static_cast<DWORD>(stored), &plain)) {
    std::memset(profile.password + plain, 0, sizeof profile.password - plain);
    return;
  }
  std::memset(profile.password, 0, sizeof profile.password);
}

void ReadList(HKEY key, const char* name, std::vector<std::string>& list) {
  DWORD type = 0, size = 0;
  if (!key || RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ ||
      size == 0)
    return;  // keeps the defaults
  std::vector<BYTE> data(size);
  DWORD got = size;
  if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &got) != ERROR_SUCCESS) return;
  list = DecodeMultiString(data.data(), got < size ? got : size);
}
}  // namespace

bool ProfileExists(const char* name) {
  HKEY key = OpenProfileKey(name, kKeyStartupRead);
  if (!key) return false;
  RegCloseKey(key);
  return true;
}

bool LoadProfile(const char* name, ServerProfile& profile, ProfileLists& lists) {
  SetDefaultProfile(profile);
  SetDefaultLists(lists);
  HKEY key = OpenProfileKey(name, kKeyStartupRead);
  if (!key) return false;
  bool loaded = ReadCust(key, profile);
  if (loaded) {
    RecoverPassword(profile);
    SanitizeProfile(profile);
  }
  for (int i = 0; i < 4; ++i) ReadList(key, kListNames[i], *ListSlots(lists, i));
  RegCloseKey(key);
  return loaded;
}

bool SaveProfile(const char* name, const ServerProfile& profile, const ProfileLists& lists) {
  if (!name || !IsValidProfileName(name)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  HKEY common = OpenCommonKey(0);
  if (!common) return false;
  RegCloseKey(common);
  HKEY key = OpenProfileKey(name, 0);
  if (!key) return false;
  RegWriteInt(key, "RegVersion", 1);

  ServerProfile stored = profile;
  DWORD plainLength = static_cast<DWORD>(strnlen(profile.password, sizeof profile.password - 1)) + 1;
  std::string plain(profile.password, plainLength - 1);
  std::memset(stored.password, 0, sizeof stored.password);
  stored.protectedPasswordLength = 0;
  std::vector<BYTE> form;
  if (ProtectPassword(plain.c_str(), plainLength, sizeof stored.password, form)) {
    std::memcpy(stored.password, form.data(), form.size());
    stored.protectedPasswordLength = static_cast<int32_t>(form.size());
  }
  SecureZeroMemory(plain.data(), plain.size());
  bool ok = RegWriteBinary(key, "Cust", &stored, sizeof stored);
  SecureZeroMemory(&stored, sizeof stored);

  ProfileLists copy = lists;
  for (int i = 0; i < 4; ++i) {
    std::vector<uint8_t> multi = EncodeMultiString(*ListSlots(copy, i));
    ok &= RegSetValueExA(key, kListNames[i], 0, REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size())) ==
          ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return ok;
}

bool DeleteProfile(HWND owner, const char* name) {
  HKEY config = OpenConfigKey(kKeyExisting);
  LONG rc = ERROR_FILE_NOT_FOUND;
  if (config && name && *name && !std::strchr(name, '\\')) {
    rc = RegDeleteKeyA(config, name);
  }
  if (config) RegCloseKey(config);
  if (rc != ERROR_SUCCESS) {
    ShowMessage(owner, IDS_DELETE_PROFILE_FAILED, MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

bool CopyProfile(HWND owner, const char* source, const char* newName, int mode) {
  ServerProfile profile;
  ProfileLists lists;
  if (source && *source) {
    LoadProfile(source, profile, lists);
  } else {
    SetDefaultProfile(profile);
    SetDefaultLists(lists);
  }
  // Editing before the copy needs the property sheet, which is its own dialog.
  if (mode == kCopyEdit) return false;
  bool ok = SaveProfile(newName, profile, lists);
  SecureZeroMemory(profile.password, sizeof profile.password);
  if (ok && mode == kCopyMove && source && *source) ok = DeleteProfile(owner, source);
  return ok;
}

std::vector<std::string> EnumerateProfiles() {
  std::vector<std::string> names;
  HKEY config = OpenConfigKey(kKeyStartupRead);
  if (!config) return names;
  for (DWORD i = 0;; ++i) {
    char name[260];
    DWORD length = sizeof name;
    LONG rc = RegEnumKeyExA(config, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // a name longer than a profile name can be
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(name, length < sizeof name ? length : sizeof name - 1);
  }
  RegCloseKey(config);
  return names;
}
