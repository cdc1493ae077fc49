// The external tool list ("Tools") and the tool shortcut list ("PIKT") as
// the program keeps them in memory, with their registry round trips.
#ifndef VORTO_BASE_TOOLS_WIN_H
#define VORTO_BASE_TOOLS_WIN_H

#include <windows.h>

#include <vector>

struct ExternalTool {
  char title[80];
  char command[260];
  char arguments[260];
  char directory[260];
  char iconFile[260];
  int iconIndex;
  int flags;
  int iconSlot;  // position in the tool image list, -1 without an icon file
};

struct ToolShortcut {
  BYTE flags;
  WORD key;
  char title[80];
};

std::vector<ExternalTool> LoadToolList();
bool SaveToolList(const std::vector<ExternalTool>& tools);

std::vector<ToolShortcut> LoadToolShortcuts();
bool SaveToolShortcuts(const std::vector<ToolShortcut>& shortcuts);

#endif
