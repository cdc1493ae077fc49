// The settings store: every persistent setting lives under
// HKEY_CURRENT_USER\Software\Ostravine\Vorto. Keys are opened per use and
// closed at once; a missing key or value means the default.
#ifndef VORTO_BASE_LIBREG_WIN_H
#define VORTO_BASE_LIBREG_WIN_H

#include <windows.h>

#include <string>
#include <vector>

// Flags of the Open*Key functions.
constexpr int kKeyExisting = 1;   // open an existing key only, never create
constexpr int kKeyReadOnly = 8;   // with kKeyExisting: KEY_READ access
constexpr int kKeyStartupRead = kKeyExisting | kKeyReadOnly;

HKEY OpenAppKey(const char* subkey, int flags);
HKEY OpenCommonKey(int flags);
HKEY OpenConfigKey(int flags);
HKEY OpenProfileKey(const char* name, int flags);

// All value operations accept a null key (then they do nothing or return
// the default) and never trust the stored type or size.
DWORD RegReadInt(HKEY key, const char* name, DWORD defaultValue);
bool RegWriteInt(HKEY key, const char* name, DWORD value);
// Always leaves `buffer` terminated within `capacity`.
void RegReadString(HKEY key, const char* name, char* buffer, DWORD capacity, const char* defaultValue);
bool RegWriteString(HKEY key, const char* name, const char* text);
// On success returns true with a block from malloc that the caller frees.
// `size` is set even when the second read fails.
bool RegReadBinary(HKEY key, const char* name, BYTE** data, DWORD* size);
bool RegWriteBinary(HKEY key, const char* name, const void* data, DWORD size);

// Reads a whole binary value into a vector; false when missing or unreadable.
bool RegReadBlob(HKEY key, const char* name, std::vector<BYTE>& out);

// Numbered string lists ("QuickUrl%02d", "Filter%02d"): one value per
// entry, at most 64, indices from 00.
constexpr int kMaxNumberedEntries = 64;
std::vector<std::string> ReadNumberedList(HKEY key, const char* format, DWORD entryCapacity);
void WriteNumberedList(HKEY key, const char* format, const std::vector<std::string>& entries);

// Text in the system code page <-> UTF-16, for the binary lists.
std::u16string AnsiToUtf16(const char* text);
std::string Utf16ToAnsi(const std::u16string& text);

#endif
