#include "app/keymap_win.h"

#include <cstdio>
#include <cstring>

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "res/resource.h"

namespace {
const WORD kReducedCommands[] = {4096, 4097, 4126, 4132, 4133, 4134, 4136, 4137, 4138, 4139, 4141,
                                 4144, 4148, 4152, 4158, 4159, 4160, 4161, 4162, 4163, 4164};

std::vector<ACCEL> ResourceAccelerators() {
  std::vector<ACCEL> list;
  HACCEL table = ResourceLibrary() ? LoadAcceleratorsA(ResourceLibrary(), MAKEINTRESOURCEA(IDR_ACCEL)) : nullptr;
  if (!table) return list;
  int count = CopyAcceleratorTableA(table, nullptr, 0);
  if (count > 0) {
    list.resize(static_cast<size_t>(count));
    CopyAcceleratorTableA(table, list.data(), count);
  }
  DestroyAcceleratorTable(table);
  return list;
}

std::string KeyName(WORD key, bool virtualKey) {
  if (!virtualKey) return std::string(1, static_cast<char>(key));
  UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  char name[64] = {};
  bool extended = (key >= 33 && key <= 46) || (key >= 91 && key <= 93);
  if (extended) GetKeyNameTextA(static_cast<LONG>((scan << 16) | (1 << 24)), name, sizeof name);
  if (!name[0]) GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name);
  if (!name[0]) snprintf(name, sizeof name, "#%u", key);
  return name;
}

std::string ModifierName(WORD key) {
  char name[64] = {};
  GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC) << 16), name, sizeof name);
  return std::string(name) + "+";
}
}  // namespace

std::vector<ACCEL> LoadShortcuts(const std::vector<ExternalTool>& tools) {
  std::vector<ACCEL> list;
  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<BYTE> stored;
  if (key && RegReadBlob(key, "Accel", stored) && !stored.empty() && stored.size() % 6 == 0) {
    for (size_t i = 0; i < stored.size(); i += 6) {
      ACCEL a;
      a.fVirt = stored[i];
      a.key = static_cast<WORD>(stored[i + 2] | (stored[i + 3] << 8));
      a.cmd = static_cast<WORD>(stored[i + 4] | (stored[i + 5] << 8));
      list.push_back(a);
    }
  } else {
    list = ResourceAccelerators();
  }
  if (key) RegCloseKey(key);
  for (const ToolShortcut& s : LoadToolShortcuts())
    for (size_t i = 0; i < tools.size() && i < 256; ++i)
      if (lstrcmpiA(tools[i].title, s.title) == 0)
        list.push_back(ACCEL{s.flags, s.key, static_cast<WORD>(CMD_TOOL_FIRST + i)});
  return list;
}

void SaveShortcuts(const std::vector<ACCEL>& shortcuts, const std::vector<ExternalTool>& tools) {
  std::vector<BYTE> accel;
  std::vector<ToolShortcut> toolKeys;
  for (const ACCEL& a : shortcuts) {
    if (a.cmd >= CMD_TOOL_FIRST && a.cmd < CMD_TOOL_FIRST + 256) {
      size_t index = a.cmd - CMD_TOOL_FIRST;
      if (index >= tools.size()) continue;
      ToolShortcut t{};
      t.flags = a.fVirt;
      t.key = a.key;
      std::memcpy(t.title, tools[index].title, sizeof t.title);
      toolKeys.push_back(t);
      continue;
    }
    const BYTE entry[6] = {a.fVirt, 0, static_cast<BYTE>(a.key), static_cast<BYTE>(a.key >> 8),
                           static_cast<BYTE>(a.cmd), static_cast<BYTE>(a.cmd >> 8)};
    accel.insert(accel.end(), entry, entry + 6);
  }
  HKEY key = OpenCommonKey(0);
  RegWriteBinary(key, "Accel", accel.data(), static_cast<DWORD>(accel.size()));
  if (key) RegCloseKey(key);
  SaveToolShortcuts(toolKeys);
}

bool IsReducedCommand(WORD command) {
  for (WORD c : kReducedCommands)
    if (c == command) return true;
  return false;
}

void DestroyAcceleratorTables() {
  if (gApp.fullAccelerators) DestroyAcceleratorTable(gApp.fullAccelerators);
  if (gApp.reducedAccelerators) DestroyAcceleratorTable(gApp.reducedAccelerators);
  gApp.fullAccelerators = gApp.reducedAccelerators = nullptr;
}

void BuildAcceleratorTables() {
  DestroyAcceleratorTables();
  std::vector<ACCEL> full = gApp.shortcuts, reduced;
  for (const ACCEL& a : full)
    if (IsReducedCommand(a.cmd)) reduced.push_back(a);
  if (!full.empty()) gApp.fullAccelerators = CreateAcceleratorTableA(full.data(), static_cast<int>(full.size()));
  if (!reduced.empty())
    gApp.reducedAccelerators = CreateAcceleratorTableA(reduced.data(), static_cast<int>(reduced.size()));
}

std::string KeyText(const ACCEL& a) {
  std::string text;
  if (a.fVirt & FCONTROL) text += ModifierName(VK_CONTROL);
  if (a.fVirt & FSHIFT) text += ModifierName(VK_SHIFT);
  if (a.fVirt & FALT) text += ModifierName(VK_MENU);
  return text + KeyName(a.key, (a.fVirt & FVIRTKEY) != 0);
}

std::string ShortcutText(const std::vector<ACCEL>& shortcuts, WORD command) {
  std::string text;
  for (const ACCEL& a : shortcuts) {
    if (a.cmd != command) continue;
    if (!text.empty()) text += ", ";
    text += KeyText(a);
  }
  return text;
}
