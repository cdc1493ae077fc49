// The shell's system image lists and the icons of a plain folder and a
// plain file in them, shared by the panes and the transfer dialogs.
#ifndef VORTO_BASE_SHELLIMAGES_WIN_H
#define VORTO_BASE_SHELLIMAGES_WIN_H

#include <windows.h>
#include <commctrl.h>

struct ShellImageLists {
  HIMAGELIST smallIcons = nullptr;
  HIMAGELIST largeIcons = nullptr;
  int folderIcon = 0;
  int fileIcon = 0;
};

// Asks the shell for the lists; they belong to the shell and are never
// destroyed by the program.
void LoadShellImages();
const ShellImageLists& ShellImages();

#endif
