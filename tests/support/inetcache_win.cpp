#include "support/inetcache_win.h"

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <string>

namespace {
// Deletes the files one level below `folder` (the cache's bucket folders);
// the index files in `folder` itself stay.
void DeleteBucketFiles(const std::string& folder) {
  WIN32_FIND_DATAA bucket;
  HANDLE b = FindFirstFileA((folder + "\\*").c_str(), &bucket);
  if (b == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = bucket.cFileName;
    if (name == "." || name == ".." || !(bucket.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const std::string inner = folder + "\\" + name;
    WIN32_FIND_DATAA file;
    HANDLE f = FindFirstFileA((inner + "\\*").c_str(), &file);
    if (f == INVALID_HANDLE_VALUE) continue;
    do
      if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((inner + "\\" + file.cFileName).c_str());
    while (FindNextFileA(f, &file));
    FindClose(f);
  } while (FindNextFileA(b, &bucket));
  FindClose(b);
}
}  // namespace

void ClearInternetCache() {
  char buffer[4096];
  auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer);
  DWORD size = sizeof buffer;
  if (HANDLE find = FindFirstUrlCacheEntryA(nullptr, entry, &size)) {
    do {
      DeleteUrlCacheEntryA(entry->lpszSourceUrlName);
      size = sizeof buffer;
    } while (FindNextUrlCacheEntryA(find, entry, &size));
    FindCloseUrlCache(find);
  }
  // The entries of FTP downloads are not all reached through the cache
  // interface under Wine: their files are removed directly.
  char cache[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, cache)))
    DeleteBucketFiles(std::string(cache) + "\\Content.IE5");
}
