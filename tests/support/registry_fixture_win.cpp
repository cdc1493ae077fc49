#include "support/registry_fixture_win.h"

#include <string>

#include "base/libreg_win.h"

static std::string AppPath(const char* subkey) {
  std::string path = "Software\\Ostravine\\Vorto";
  if (subkey && *subkey) path += std::string("\\") + subkey;
  return path;
}

void DeleteSettingsTree() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ostravine"); }

bool AppKeyExists(const char* subkey) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, AppPath(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void PutRawValue(const char* subkey, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, AppPath(subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

bool GetRawValue(const char* subkey, const char* name, DWORD& type, std::vector<BYTE>& data) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, AppPath(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    data.resize(size);
    rc = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    data.resize(size);
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

std::string CommonString(const char* name) {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  char text[MAX_PATH] = {};
  RegReadString(key, name, text, sizeof text, "");
  if (key) RegCloseKey(key);
  return text;
}
