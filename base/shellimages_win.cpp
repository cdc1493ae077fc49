#include "base/shellimages_win.h"

#include <shellapi.h>

namespace {
ShellImageLists gLists;
}

void LoadShellImages() {
  SHFILEINFOA info = {};
  gLists.smallIcons = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
  gLists.largeIcons = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES));
  if (SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
    gLists.folderIcon = info.iIcon;
  if (SHGetFileInfoA("file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
    gLists.fileIcon = info.iIcon;
}

const ShellImageLists& ShellImages() { return gLists; }
