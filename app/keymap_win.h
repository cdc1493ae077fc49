// The keyboard map: the shortcut list, its stored forms ("Accel" for the
// program's commands, "PIKT" for external tools) and the two accelerator
// tables built from it.
#ifndef VORTO_APP_KEYMAP_WIN_H
#define VORTO_APP_KEYMAP_WIN_H

#include <windows.h>

#include <string>
#include <vector>

#include "base/tools_win.h"

// Reads the shortcut list: "Accel" when it holds whole 6-byte entries,
// else the resource library's table; then the tool shortcuts by title.
std::vector<ACCEL> LoadShortcuts(const std::vector<ExternalTool>& tools);
void SaveShortcuts(const std::vector<ACCEL>& shortcuts, const std::vector<ExternalTool>& tools);
// Builds gApp's full and reduced tables from gApp.shortcuts.
void BuildAcceleratorTables();
void DestroyAcceleratorTables();
bool IsReducedCommand(WORD command);
// "Ctrl+Shift+F5, F6" for every shortcut of `command`.
std::string ShortcutText(const std::vector<ACCEL>& shortcuts, WORD command);
std::string KeyText(const ACCEL& accel);

#endif
