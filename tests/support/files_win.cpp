#include "support/files_win.h"

#include <windows.h>

#include <cstring>

#include "base/program_win.h"

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

bool LoadTestResourceLibrary() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = n > 0 && n < MAX_PATH ? std::strrchr(path, '\\') : nullptr;
  if (!slash || (slash - path) + 1 + sizeof "vortores.dll" > sizeof path) return false;
  std::strcpy(slash + 1, "vortores.dll");
  SetResourceLibrary(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  return ResourceLibrary() != nullptr;
}
