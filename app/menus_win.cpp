// Menus of the main window: item texts with their shortcuts, enabled and
// checked states, the profile lists, and the menu help in the status bar.
#include <cstdio>
#include <string>

#include "app/appstate_win.h"
#include "app/keymap_win.h"
#include "app/mainframe_win.h"
#include "base/msgbox_win.h"
#include "app/statusbar_win.h"
#include "profiles/current_win.h"
#include "profiles/profilestore_win.h"
#include "res/resource.h"

namespace {
constexpr int kMaxProfileItems = 1023;

// The text of a command's string after its first line break: its short name.
std::string CommandName(UINT id) {
  std::string text = LoadResString(id);
  size_t cut = text.find('\n');
  return cut == std::string::npos ? text : text.substr(cut + 1);
}

void RebuildProfileList(HMENU menu, UINT firstId, bool checkCurrent) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  std::vector<std::string> names = EnumerateProfiles();
  int n = 0;
  for (const std::string& name : names) {
    if (n >= kMaxProfileItems) break;
    UINT flags = MF_STRING;
    if (checkCurrent && lstrcmpiA(name.c_str(), gCurrent.name) == 0) flags |= MF_CHECKED;
    AppendMenuA(menu, flags, firstId + n, name.c_str());
    ++n;
  }
  if (n == 0) AppendMenuA(menu, MF_STRING | MF_GRAYED, firstId, "(none)");
}

void RebuildToolList(HMENU menu) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  int n = 0;
  for (const ExternalTool& tool : gApp.tools) {
    if (n >= 256) break;
    AppendMenuA(menu, MF_STRING, CMD_TOOL_FIRST + n, tool.title);
    ++n;
  }
  if (n == 0) AppendMenuA(menu, MF_STRING | MF_GRAYED, CMD_TOOL_FIRST, "(none)");
}

UINT FirstItemId(HMENU menu) { return GetMenuItemCount(menu) > 0 ? GetMenuItemID(menu, 0) : 0; }

void RefreshItems(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.hSubMenu || (info.fType & MFT_SEPARATOR)) continue;
    WORD id = static_cast<WORD>(info.wID);
    if (id < 4096 || id >= CMD_PROFILE_CONNECT_FIRST) continue;
    std::string name = CommandName(id);
    if (!name.empty()) {
      std::string keys = ShortcutText(gApp.shortcuts, id);
      if (!keys.empty()) name += "\t" + keys;
      MENUITEMINFOA text = {};
      text.cbSize = sizeof text;
      text.fMask = MIIM_STRING;
      text.dwTypeData = name.data();
      SetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &text);
    }
    bool enabled, checked;
    GetCommandState(id, enabled, checked);
    EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}
}  // namespace

void OnInitMenuPopup(HMENU menu, bool systemMenu) {
  if (systemMenu || !menu) return;
  // The profile and tool submenus are recognised by their first item.
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    HMENU sub = GetSubMenu(menu, i);
    if (!sub) continue;
    UINT first = FirstItemId(sub);
    if (first >= CMD_PROFILE_CONNECT_FIRST && first < CMD_PROFILE_SELECT_FIRST)
      RebuildProfileList(sub, CMD_PROFILE_CONNECT_FIRST, false);
    else if (first >= CMD_PROFILE_SELECT_FIRST && first < CMD_TOOL_FIRST)
      RebuildProfileList(sub, CMD_PROFILE_SELECT_FIRST, true);
    else if (first >= CMD_TOOL_FIRST && first < CMD_TOOL_FIRST + 1025)
      RebuildToolList(sub);
  }
  RefreshItems(menu);
}

void OnMenuSelect(WORD id, WORD flags, HMENU menu) {
  if (flags == 0xFFFF && !menu) return EndMenuHelp();
  if (flags & (MF_POPUP | MF_SEPARATOR)) return ShowMenuHelp("");
  std::string text;
  if (id >= CMD_TOOL_FIRST && id <= CMD_TOOL_FIRST + 1024) {
    size_t index = id - CMD_TOOL_FIRST;
    if (index < gApp.tools.size()) {
      char line[600];
      snprintf(line, sizeof line, "%s %s", gApp.tools[index].command, gApp.tools[index].arguments);
      text = line;
    }
  } else {
    UINT stringId = id;
    if (id > CMD_PROFILE_CONNECT_FIRST && id < CMD_PROFILE_SELECT_FIRST) stringId = CMD_PROFILE_CONNECT_FIRST;
    if (id > CMD_PROFILE_SELECT_FIRST && id < CMD_TOOL_FIRST) stringId = CMD_PROFILE_SELECT_FIRST;
    text = LoadResString(stringId);
    text = text.substr(0, text.find('\n'));
  }
  ShowMenuHelp(text.c_str());
}
