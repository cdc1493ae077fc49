#include "support/pane_driver_win.h"

#include <commctrl.h>

#include <cstring>

namespace {
constexpr int kListId = 258;

// A block of memory in the program's process for one message's data.
struct RemoteBlock {
  HANDLE process;
  char* address;
  RemoteBlock(HANDLE p, size_t size)
      : process(p), address(static_cast<char*>(VirtualAllocEx(p, nullptr, size, MEM_COMMIT, PAGE_READWRITE))) {}
  ~RemoteBlock() {
    if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
  }
  bool Write(size_t offset, const void* data, size_t size) {
    SIZE_T done = 0;
    return WriteProcessMemory(process, address + offset, data, size, &done) && done == size;
  }
  bool Read(size_t offset, void* data, size_t size) {
    SIZE_T done = 0;
    return ReadProcessMemory(process, address + offset, data, size, &done) && done == size;
  }
};

struct FindDialog {
  DWORD processId;
  const char* caption;
  int buttonId;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* find = reinterpret_cast<FindDialog*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid != find->processId || std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  std::string caption = WindowText(window);
  if (caption == "Progress") return TRUE;
  if (find->caption && find->caption[0] && caption != find->caption) return TRUE;
  if (!GetDlgItem(window, find->buttonId)) return TRUE;
  find->found = window;
  return FALSE;
}
}  // namespace

HWND PaneList(HWND pane) { return GetDlgItem(pane, kListId); }

std::vector<std::string> PaneItems(const RunningProgram& program, HWND pane) {
  return ListViewTexts(program, PaneList(pane));
}

std::vector<std::string> ListViewTexts(const RunningProgram& program, HWND list) {
  std::vector<std::string> items;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  RemoteBlock block(program.process.hProcess, sizeof(LVITEMA) + 300);
  if (!block.address) return items;
  for (int i = 0; i < count; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = block.address + sizeof(LVITEMA);
    item.cchTextMax = 300;
    char text[300] = {};
    if (!block.Write(0, &item, sizeof item)) break;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(block.address));
    block.Read(sizeof(LVITEMA), text, sizeof text - 1);
    items.push_back(text);
  }
  return items;
}

bool PaneHasItem(const RunningProgram& program, HWND pane, const std::string& name) {
  for (const std::string& item : PaneItems(program, pane))
    if (item == name) return true;
  return false;
}

bool SelectPaneItem(const RunningProgram& program, HWND pane, const std::string& name) {
  std::vector<std::string> items = PaneItems(program, pane);
  HWND list = PaneList(pane);
  RemoteBlock block(program.process.hProcess, sizeof(LVITEMA));
  bool found = false;
  for (size_t i = 0; i < items.size(); ++i) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = items[i] == name ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    found = found || items[i] == name;
    if (!block.Write(0, &item, sizeof item)) return false;
    SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(block.address));
  }
  return found;
}

bool TypeIntoLabelEdit(HWND pane, const std::string& text, bool waitForEnd, DWORD timeoutMs) {
  HWND list = PaneList(pane);
  HWND edit = nullptr;
  if (!WaitUntil([&] { return (edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr; },
                 timeoutMs))
    return false;
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  return !waitForEnd || WaitUntil([&] { return SendMessageA(list, LVM_GETEDITCONTROL, 0, 0) == 0; }, timeoutMs);
}

HWND FindProgramDialog(const RunningProgram& program, const char* caption, int buttonId, DWORD timeoutMs) {
  FindDialog find = {program.process.dwProcessId, caption, buttonId, nullptr};
  WaitUntil(
      [&] {
        find.found = nullptr;
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&find));
        return find.found != nullptr;
      },
      timeoutMs);
  return find.found;
}

bool AnswerDialog(const RunningProgram& program, const char* caption, int buttonId, DWORD timeoutMs) {
  HWND dialog = FindProgramDialog(program, caption, buttonId, timeoutMs);
  if (!dialog) return false;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
  return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeoutMs);
}
