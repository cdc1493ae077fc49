#include "app/commandbars_win.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/commandbuttons.h"
#include "app/mainframe_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "base/toolbarimages_win.h"
#include "app/toolbarlayout.h"
#include "res/resource.h"

namespace {
void LayoutValueName(uint32_t id, char (&name)[16]) {
  snprintf(name, sizeof name, "PIB%u", static_cast<unsigned>(id - kFirstCommandToolbar));
}

int ImageFor(uint16_t command) {
  if (command >= kFirstToolCommand && command <= kLastToolCommand) {
    size_t index = command - kFirstToolCommand;
    if (index >= gApp.tools.size()) return -1;
    int slot = gApp.tools[index].iconSlot;
    return slot >= 0 ? kFirstToolImage + slot : kToolImageWithoutIcon;
  }
  return CommandButtonImage(command);
}

TBBUTTON ButtonFor(uint16_t command) {
  TBBUTTON b = {};
  b.idCommand = command;
  b.fsState = TBSTATE_ENABLED;
  if (command == 0) {
    b.fsStyle = BTNS_SEP;
  } else {
    b.iBitmap = ImageFor(command);
    b.fsStyle = BTNS_BUTTON;
  }
  return b;
}

void AddButtons(HWND toolbar, const std::vector<uint16_t>& commands) {
  std::vector<TBBUTTON> buttons;
  for (uint16_t command : commands)
    if (command == 0 || ImageFor(command) >= 0) buttons.push_back(ButtonFor(command));
  if (!buttons.empty())
    SendMessageA(toolbar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

// The stored buttons, or nothing when the layout is missing, of another
// tag, or written by another version of the toolbar format.
bool ReadStoredButtons(uint32_t id, std::vector<uint16_t>& commands) {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  if (!key) return false;
  char name[16];
  LayoutValueName(id, name);
  std::vector<BYTE> bytes;
  std::vector<StoredButton> stored;
  bool ok = RegReadInt(key, "ToolBarVersion", 0) == kToolbarLayoutVersion && RegReadBlob(key, name, bytes) &&
            DecodeToolbarLayout(bytes.data(), bytes.size(), stored);
  RegCloseKey(key);
  if (!ok) return false;
  std::vector<std::u16string> titles;
  for (const ExternalTool& tool : gApp.tools) titles.push_back(AnsiToUtf16(tool.title));
  for (const StoredButton& b : RebindToolButtons(stored, titles)) commands.push_back(b.command);
  return true;
}

void ResetButtons(HWND toolbar) {
  while (SendMessageA(toolbar, TB_DELETEBUTTON, 0, 0)) {
  }
  AddButtons(toolbar, BuiltInToolbarButtons(static_cast<uint32_t>(GetDlgCtrlID(toolbar))));
}

// The buttons the customize dialog offers: every command with an image,
// then one per external tool.
std::vector<uint16_t> AvailableButtons() {
  std::vector<uint16_t> commands;
  for (const CommandButton& b : CommandButtonCatalogue()) commands.push_back(b.command);
  for (size_t i = 0; i < gApp.tools.size() && i <= kLastToolCommand - kFirstToolCommand; ++i)
    commands.push_back(static_cast<uint16_t>(kFirstToolCommand + i));
  return commands;
}

std::string ShortName(UINT command) {
  char text[80] = {};
  ToolbarTipText(command, text, sizeof text);
  return text;
}
}  // namespace

bool IsCommandToolbarId(uint32_t id) { return id >= kFirstCommandToolbar && id <= kLastCommandToolbar; }

HWND CreateCommandToolbar(HWND rebar, uint32_t id) {
  if (!IsCommandToolbarId(id)) return nullptr;
  HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                     CCS_ADJUSTABLE | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                                 0, 0, 0, 0, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(),
                                 nullptr);
  if (!toolbar) return nullptr;
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  AttachToolbarImages(toolbar);
  std::vector<uint16_t> commands;
  if (!ReadStoredButtons(id, commands)) commands = BuiltInToolbarButtons(id);
  AddButtons(toolbar, commands);
  return toolbar;
}

void SaveToolbarButtons(HWND toolbar) {
  uint32_t id = static_cast<uint32_t>(GetDlgCtrlID(toolbar));
  if (!IsCommandToolbarId(id)) return;
  std::vector<StoredButton> stored;
  int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON b = {};
    if (!SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b))) continue;
    StoredButton s;
    s.command = (b.fsStyle & BTNS_SEP) ? 0 : static_cast<uint16_t>(b.idCommand);
    size_t tool = static_cast<size_t>(s.command) - kFirstToolCommand;
    if (s.command >= kFirstToolCommand && s.command <= kLastToolCommand && tool < gApp.tools.size())
      s.toolTitle = AnsiToUtf16(gApp.tools[tool].title);
    stored.push_back(std::move(s));
  }
  std::vector<uint8_t> bytes = EncodeToolbarLayout(stored);
  HKEY key = OpenCommonKey(0);
  char name[16];
  LayoutValueName(id, name);
  RegWriteBinary(key, name, bytes.data(), static_cast<DWORD>(bytes.size()));
  RegWriteInt(key, "ToolBarVersion", kToolbarLayoutVersion);
  if (key) RegCloseKey(key);
}

void RenumberStoredToolbars(uint32_t removed, uint32_t highest) {
  HKEY key = OpenCommonKey(0);
  if (!key) return;
  for (uint32_t id = removed + 1; id <= highest && IsCommandToolbarId(id); ++id) {
    char from[16], to[16];
    LayoutValueName(id, from);
    LayoutValueName(ToolbarIdAfterRemoval(id, removed), to);
    std::vector<BYTE> bytes;
    if (RegReadBlob(key, from, bytes)) RegWriteBinary(key, to, bytes.data(), static_cast<DWORD>(bytes.size()));
    else RegDeleteValueA(key, to);
  }
  char last[16];
  LayoutValueName(highest, last);
  RegDeleteValueA(key, last);
  RegCloseKey(key);
}

void DeleteStoredToolbars() {
  HKEY key = OpenCommonKey(0);
  if (!key) return;
  // Every number is tried: a gap (the main toolbar never customized, say)
  // must not leave the layouts of the toolbars above it behind.
  for (uint32_t id = kFirstCommandToolbar; id <= kLastCommandToolbar; ++id) {
    char name[16];
    LayoutValueName(id, name);
    RegDeleteValueA(key, name);
  }
  RegCloseKey(key);
}

bool HandleToolbarNotify(const NMHDR* header, LRESULT& result) {
  if (!IsCommandToolbarId(static_cast<uint32_t>(header->idFrom))) return false;
  HWND toolbar = header->hwndFrom;
  switch (header->code) {
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE:
      result = TRUE;
      return true;
    case TBN_INITCUSTOMIZE:
      result = TBNRF_HIDEHELP;
      return true;
    case TBN_GETBUTTONINFOA:
    case TBN_GETBUTTONINFOW: {
      // The A and W records share their layout up to the text pointer.
      auto* info = reinterpret_cast<NMTOOLBARA*>(const_cast<NMHDR*>(header));
      std::vector<uint16_t> available = AvailableButtons();
      if (info->iItem < 0 || static_cast<size_t>(info->iItem) >= available.size()) {
        result = FALSE;
        return true;
      }
      uint16_t command = available[static_cast<size_t>(info->iItem)];
      info->tbButton = ButtonFor(command);
      std::string text = ShortName(command);
      if (info->pszText && info->cchText > 0) {
        if (header->code == TBN_GETBUTTONINFOA) {
          CopyText(info->pszText, static_cast<size_t>(info->cchText), text.c_str());
        } else {
          auto* wide = reinterpret_cast<NMTOOLBARW*>(info);
          MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide->pszText, wide->cchText);
          wide->pszText[wide->cchText - 1] = L'\0';
        }
      }
      result = TRUE;
      return true;
    }
    case TBN_RESET:
      ResetButtons(toolbar);
      SaveToolbarButtons(toolbar);
      result = 0;
      return true;
    case TBN_TOOLBARCHANGE:
      SaveToolbarButtons(toolbar);
      result = 0;
      return true;
  }
  return false;
}

void UpdateToolbarButtons(HWND rebar) {
  if (!rebar) return;
  int bands = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < bands; ++i) {
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_ID | RBBIM_CHILD;
    SendMessageA(rebar, RB_GETBANDINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band));
    if (!IsCommandToolbarId(band.wID) || !band.hwndChild) continue;
    int count = static_cast<int>(SendMessageA(band.hwndChild, TB_BUTTONCOUNT, 0, 0));
    for (int b = 0; b < count; ++b) {
      TBBUTTON button = {};
      if (!SendMessageA(band.hwndChild, TB_GETBUTTON, static_cast<WPARAM>(b), reinterpret_cast<LPARAM>(&button)) ||
          (button.fsStyle & BTNS_SEP))
        continue;
      bool enabled = true, checked = false;
      GetCommandState(static_cast<WORD>(button.idCommand), enabled, checked);
      BYTE state = static_cast<BYTE>((button.fsState & ~(TBSTATE_ENABLED | TBSTATE_CHECKED)) |
                                     (enabled ? TBSTATE_ENABLED : 0) | (checked ? TBSTATE_CHECKED : 0));
      if (state != button.fsState)
        SendMessageA(band.hwndChild, TB_SETSTATE, static_cast<WPARAM>(button.idCommand), MAKELPARAM(state, 0));
    }
  }
}

void ToolbarTipText(UINT command, char* out, size_t size) {
  if (!out || size == 0) return;
  out[0] = '\0';
  if (command >= kFirstToolCommand && command <= kLastToolCommand) {
    size_t index = command - kFirstToolCommand;
    if (index < gApp.tools.size()) CopyText(out, size, gApp.tools[index].title);
    return;
  }
  std::string text = LoadResString(command);
  size_t newline = text.find('\n');
  if (newline != std::string::npos) text = text.substr(newline + 1);
  std::string shown;
  for (char c : text)
    if (c != '&') shown += c;
  CopyText(out, size, shown.c_str());
}
