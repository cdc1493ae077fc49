#include "base/libreg_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/textbuf.h"

namespace {
constexpr const char kAppKeyPrefix[] = "Software\\Ostravine\\";
constexpr const char kProductKey[] = "Vorto";
constexpr DWORD kMaxStringChars = 16300;
}

HKEY OpenAppKey(const char* subkey, int flags) {
  char path[128];
  int n = subkey && *subkey ? snprintf(path, sizeof path, "%s%s\\%s", kAppKeyPrefix, kProductKey, subkey)
                            : snprintf(path, sizeof path, "%s%s", kAppKeyPrefix, kProductKey);
  if (n < 0 || n >= static_cast<int>(sizeof path)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  HKEY key = nullptr;
  LONG rc;
  if (flags & kKeyExisting) {
    REGSAM access = (flags & kKeyReadOnly) ? KEY_READ : (KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    rc = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, &key);
  } else {
    rc = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key, nullptr);
  }
  if (rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return nullptr;
  }
  return key;
}

HKEY OpenCommonKey(int flags) { return OpenAppKey("Common", flags); }
HKEY OpenConfigKey(int flags) { return OpenAppKey("Config", flags); }

HKEY OpenProfileKey(const char* name, int flags) {
  if (!name || !*name) return nullptr;
  // A '\' would address (or create) a nested key instead of one profile.
  if (std::strchr(name, '\\')) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  HKEY config = OpenConfigKey(flags);
  if (!config) return nullptr;
  HKEY key = nullptr;
  LONG rc;
  const REGSAM access = KEY_READ | KEY_WRITE;
  if (flags & kKeyExisting)
    rc = RegOpenKeyExA(config, name, 0, access, &key);
  else
    rc = RegCreateKeyExA(config, name, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
  RegCloseKey(config);
  if (rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return nullptr;
  }
  return key;
}

DWORD RegReadInt(HKEY key, const char* name, DWORD defaultValue) {
  if (!key) return defaultValue;
  DWORD value = 0, size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return defaultValue;
  return value;
}

bool RegWriteInt(HKEY key, const char* name, DWORD value) {
  if (!key) return false;
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

void RegReadString(HKEY key, const char* name, char* buffer, DWORD capacity, const char* defaultValue) {
  if (!buffer || capacity == 0) return;
  DWORD type = 0, size = capacity;
  if (key && RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    // A stored string need not carry its zero. One that fills the buffer
    // without a zero did not fit, which reads as the default.
    if (size < capacity || buffer[capacity - 1] == '\0') {
      buffer[size < capacity ? size : capacity - 1] = '\0';
      return;
    }
  }
  CopyText(buffer, capacity, defaultValue ? defaultValue : "");
}

bool RegWriteString(HKEY key, const char* name, const char* text) {
  if (!key || !text) return false;
  // Strings beyond the cap are stored cut to it; no caller keeps one that long.
  DWORD length = static_cast<DWORD>(strnlen(text, kMaxStringChars));
  if (length == kMaxStringChars) {
    std::string cut(text, length);
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(cut.c_str()), length + 1) ==
           ERROR_SUCCESS;
  }
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), length + 1) == ERROR_SUCCESS;
}

bool RegReadBinary(HKEY key, const char* name, BYTE** data, DWORD* size) {
  *data = nullptr;
  *size = 0;
  if (!key) return false;
  DWORD needed = 0;
  if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &needed) != ERROR_SUCCESS) return false;
  *size = needed;
  BYTE* block = static_cast<BYTE*>(std::malloc(needed ? needed : 1));
  if (!block) return false;
  DWORD got = needed;
  if (RegQueryValueExA(key, name, nullptr, nullptr, block, &got) != ERROR_SUCCESS || got != needed) {
    std::free(block);
    return false;
  }
  *data = block;
  return true;
}

bool RegWriteBinary(HKEY key, const char* name, const void* data, DWORD size) {
  if (!key) return false;
  return RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool RegReadBlob(HKEY key, const char* name, std::vector<BYTE>& out) {
  BYTE* data;
  DWORD size;
  if (!RegReadBinary(key, name, &data, &size)) return false;
  out.assign(data, data + size);
  std::free(data);
  return true;
}

std::vector<std::string> ReadNumberedList(HKEY key, const char* format, DWORD entryCapacity) {
  std::vector<std::string> entries;
  std::vector<char> buffer(entryCapacity ? entryCapacity : 1);
  for (int i = 0; key && i < kMaxNumberedEntries; ++i) {
    char name[64];
    snprintf(name, sizeof name, format, i);
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    RegReadString(key, name, buffer.data(), static_cast<DWORD>(buffer.size()), "");
    if (buffer[0]) entries.emplace_back(buffer.data());
  }
  return entries;
}

void WriteNumberedList(HKEY key, const char* format, const std::vector<std::string>& entries) {
  if (!key) return;
  int count = static_cast<int>(entries.size() < kMaxNumberedEntries ? entries.size() : kMaxNumberedEntries);
  char name[64];
  for (int i = 0; i < count; ++i) {
    snprintf(name, sizeof name, format, i);
    RegWriteString(key, name, entries[i].c_str());
  }
  // Drop the stale tail of a list that became shorter.
  for (int i = count; i < kMaxNumberedEntries; ++i) {
    snprintf(name, sizeof name, format, i);
    if (RegDeleteValueA(key, name) != ERROR_SUCCESS) break;
  }
}

std::u16string AnsiToUtf16(const char* text) {
  if (!text || !*text) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(out.data()), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::string Utf16ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
  int n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  // An embedded zero would silently shorten the text later; stop there now.
  size_t zero = out.find('\0');
  if (zero != std::string::npos) out.resize(zero);
  return out;
}
