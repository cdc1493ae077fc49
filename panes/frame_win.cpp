// CFrame: creation, layout, the active-pane background, notifications,
// the shared commands and the services other windows use.
#include "panes/frame_win.h"

#include <windowsx.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "base/program_win.h"
#include "base/shellimages_win.h"
#include "base/barlayout.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "panes/panes_win.h"
#include "res/resource.h"

CFrame::CFrame(bool isRemote) : remote(isRemote) {
  itemMenuId = remote ? IDM_SERVER_ITEMS : IDM_LOCAL_ITEMS;
  rebarValue = remote ? "RebarInfoServer" : "RebarInfoLocal";
  listValue = remote ? "ServerListInfo" : "LocalListInfo";
  viewValue = remote ? "ServerIconStyle" : "LocalIconStyle";
  for (int id = 0; id < kColumnCount; ++id) columnOffered[id] = remote || id != kColumnOwner;
}

CFrame::~CFrame() {
  if (clipboardData) GlobalFree(clipboardData);
}

namespace {
DWORD ViewBits(int style) {
  if (style == kViewDetails) return LVS_REPORT;
  if (style == kViewList) return LVS_LIST;
  return LVS_ICON;
}
}  // namespace

bool CFrame::OnCreate() {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  viewStyle = static_cast<int>(RegReadInt(key, viewValue, kViewLargeIcons));
  if (key) RegCloseKey(key);
  if (viewStyle != kViewDetails && viewStyle != kViewList) viewStyle = kViewLargeIcons;

  list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LVS_SHOWSELALWAYS |
                             LVS_SHAREIMAGELISTS | LVS_EDITLABELS | ViewBits(viewStyle),
                         0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPaneListId)), ProgramInstance(),
                         nullptr);
  if (!list) return false;
  SendMessageA(list, LVM_SETCALLBACKMASK, LVIS_CUT | LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK, 0);
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(ShellImages().smallIcons));
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(ShellImages().largeIcons));
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_INFOTIP;
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended,
               LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | (viewStyle == kViewDetails ? 0 : LVS_EX_INFOTIP));
  BuildColumns();
  // The drop target for this pane is registered here once drag and drop
  // with the shell is in (dropTarget stays null until then).
  focusChild = list;
  CreateBar();
  Refresh(0, nullptr);
  return true;
}

void CFrame::OnDestroy() {
  SaveListInfo();
  HKEY key = OpenCommonKey(0);
  if (key) {
    RegWriteInt(key, viewValue, static_cast<DWORD>(viewStyle));
    RegCloseKey(key);
  }
  if (clipboardEffect && GetClipboardSequenceNumber() == clipboardSequence && OpenClipboard(window)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

void CFrame::Layout() {
  RECT rc;
  GetClientRect(window, &rc);
  int barBottom = kPaneGap;
  if (rebar) {
    RECT bar;
    GetWindowRect(rebar, &bar);
    const int height = bar.bottom - bar.top;
    MoveWindow(rebar, 0, kPaneGap, rc.right, height, TRUE);
    barBottom = kPaneGap + height;
  }
  const int top = barBottom + kPaneGap;
  MoveWindow(list, 0, top, rc.right, rc.bottom > top ? rc.bottom - top : 0, TRUE);
  SendMessageA(list, LVM_ARRANGE, LVA_DEFAULT, 0);
  if (toolbar) InvalidateRect(toolbar, nullptr, TRUE);
  if (address) InvalidateRect(address, nullptr, TRUE);
}

void CFrame::PaintBackground(HDC dc) {
  RECT rc;
  GetClientRect(window, &rc);
  RECT strip = {0, 0, rc.right, kPaneGap};
  FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  RECT rest = {0, kPaneGap, rc.right, rc.bottom};
  FillRect(dc, &rest, GetSysColorBrush(ActivePaneWindow() == window ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
}

void CFrame::Activate() {
  HWND focus = GetFocus();
  if (focus && (focus == list || IsChild(address, focus))) focusChild = focus == list ? list : address;
  const bool changed = ActivePaneWindow() != window;
  SetActivePane(window);
  UpdateToolbar();
  NotifyPaneStateChanged();
  if (changed) {
    if (LocalPaneWindow()) InvalidateRect(LocalPaneWindow(), nullptr, TRUE);
    if (ServerPaneWindow()) InvalidateRect(ServerPaneWindow(), nullptr, TRUE);
  }
}

int CFrame::SelectedCount() const { return list ? static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)) : 0; }

int CFrame::EntryOfItem(int item) const {
  LVITEMA lv = {};
  lv.mask = LVIF_PARAM;
  lv.iItem = item;
  if (item < 0 || !SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv))) return -1;
  if (lv.lParam < 0 || static_cast<size_t>(lv.lParam) >= entries.size()) return -1;
  return static_cast<int>(lv.lParam);
}

int CFrame::NextSelected(int after, int& entry) const {
  for (int item = after;;) {
    item = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED));
    if (item < 0) return -1;
    entry = EntryOfItem(item);
    if (entry >= 0) return item;
  }
}

bool CFrame::AnySelectedFile() const {
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry))
    if (!IsDirectoryEntry(entries[static_cast<size_t>(entry)])) return true;
  return false;
}

std::string CFrame::DescribeSelection() const {
  const int count = SelectedCount();
  if (count == 0) return "";
  if (count == 1) {
    int entry = -1;
    if (NextSelected(-1, entry) < 0) return "";
    return std::string("'") + entries[static_cast<size_t>(entry)].name + "'";
  }
  char text[200];
  snprintf(text, sizeof text, LoadResString(IDS_SELECTED_ITEMS).c_str(), count);
  return text;
}

bool CFrame::AddressHasFocus() const {
  HWND focus = GetFocus();
  return address && focus && (focus == address || IsChild(address, focus));
}

void CFrame::FocusList() {
  if (GetFocus() != list) SetFocus(list);
}

void CFrame::FocusAddress(bool dropDown) {
  if (!address || !IsWindowEnabled(address)) return;
  HWND edit = reinterpret_cast<HWND>(SendMessageA(address, CBEM_GETEDITCONTROL, 0, 0));
  SetFocus(edit ? edit : address);
  if (dropDown) SendMessageA(address, CB_SHOWDROPDOWN, TRUE, 0);
}

void CFrame::CancelAddress() {
  if (!address) return;
  if (SendMessageA(address, CB_GETDROPPEDSTATE, 0, 0)) SendMessageA(address, CB_SHOWDROPDOWN, FALSE, 0);
  else if (AddressHasFocus()) SetFocus(list);
}

void CFrame::SelectItem(int item) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

void CFrame::RedrawItem(int item) { SendMessageA(list, LVM_REDRAWITEMS, static_cast<WPARAM>(item), item); }

bool CFrame::NameExists(const char* name, int exceptEntry) const {
  for (size_t i = 0; i < entries.size(); ++i)
    if (static_cast<int>(i) != exceptEntry &&
        const_cast<CFrame*>(this)->CompareNames(entries[i].name, name) == 0)
      return true;
  return false;
}

void CFrame::GoBack() {
  std::string directory;
  if (TakeBack(history, directory)) ChangeDirectory(directory.c_str());
}

void CFrame::GoForward() {
  std::string directory;
  if (TakeForward(history, directory)) ChangeDirectory(directory.c_str());
}

void CFrame::ShowDirectory(const char* directory) {
  if (std::strcmp(directory, current) != 0) {
    RememberDirectory(history, current);
    CopyText(current, directory);
    PutAddressTop(current);
  } else {
    CancelMove(history);
  }
  UpdateToolbar();
  if (ActivePaneWindow() == window) NotifyPaneStateChanged();
}

void CFrame::ClearCutMarks() {
  for (int item = -1;;) {
    item = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_ALL));
    if (item < 0) break;
    int entry = EntryOfItem(item);
    if (entry < 0 || !entries[static_cast<size_t>(entry)].cutMark) continue;
    entries[static_cast<size_t>(entry)].cutMark = 0;
    entries[static_cast<size_t>(entry)].viewSlot[0] = kNoViewSlot;
    RedrawItem(item);
  }
}

HGLOBAL CFrame::RenderDropFiles(UINT format, bool cut) {
  const size_t size = MeasureDropFiles(format) + sizeof(DROPFILES);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!block) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  WriteDropFiles(reinterpret_cast<char*>(header) + sizeof(DROPFILES), size - sizeof(DROPFILES), format, cut);
  GlobalUnlock(block);
  return block;
}

size_t CFrame::MeasureDropFiles(UINT) {
  char prefix[260];
  if (!GetJoinDirectory(prefix)) return 1;
  const size_t prefixLength = std::strlen(prefix);
  size_t total = 1;
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry))
    total += prefixLength + std::strlen(entries[static_cast<size_t>(entry)].name) + 1;
  return total;
}

void CFrame::WriteDropFiles(char* buffer, size_t size, UINT, bool cut) {
  char prefix[260];
  if (!size) return;
  size_t used = 0;
  if (GetJoinDirectory(prefix)) {
    int entry = -1;
    for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry)) {
      FileEntry& e = entries[static_cast<size_t>(entry)];
      const size_t a = std::strlen(prefix), b = std::strlen(e.name);
      // Room for this path, its terminator and the list's final one.
      if (used + a + b + 2 > size) break;
      std::memcpy(buffer + used, prefix, a);
      std::memcpy(buffer + used + a, e.name, b);
      used += a + b;
      buffer[used++] = '\0';
      if (cut) {
        e.cutMark = 1;
        e.viewSlot[0] = kNoViewSlot;
        RedrawItem(item);
      }
    }
  }
  buffer[used] = '\0';
}

LRESULT CFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_SETFOCUS:
      if (focusChild && IsWindow(focusChild)) SetFocus(focusChild);
      else if (list) SetFocus(list);
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam)) ? 1 : 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == list) OnContextMenu(lParam);
      return 0;
    case WM_APPCOMMAND: {
      int command = 0;
      switch (GET_APPCOMMAND_LPARAM(lParam)) {
        case APPCOMMAND_BROWSER_BACKWARD: command = CMD_BACK; break;
        case APPCOMMAND_BROWSER_FORWARD: command = CMD_FORWARD; break;
        case APPCOMMAND_BROWSER_REFRESH: command = CMD_REFRESH; break;
        case APPCOMMAND_BROWSER_HOME: command = CMD_HOME; break;
        case APPCOMMAND_COPY: command = CMD_COPY; break;
        case APPCOMMAND_CUT: command = CMD_CUT; break;
        case APPCOMMAND_PASTE: command = CMD_PASTE; break;
        default: return DefWindowProcA(window, message, wParam, lParam);
      }
      SendMessageA(window, WM_COMMAND, command, 0);
      return TRUE;
    }
    case WM_DESTROYCLIPBOARD:
      ClearCutMarks();
      clipboardEffect = 0;
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void CFrame::OnContextMenu(LPARAM lParam) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  HWND header = ListView_GetHeader(list);
  RECT headerRect = {};
  if (header && IsWindowVisible(header)) GetWindowRect(header, &headerRect);
  const bool fromKeyboard = pt.x == -1 && pt.y == -1;
  Activate();
  if (!fromKeyboard && PtInRect(&headerRect, pt)) {
    HMENU menu = LoadMenuA(ResourceLibrary(), MAKEINTRESOURCEA(IDM_PANE_COLUMNS));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    if (!columnOffered[kColumnOwner]) DeleteMenu(popup, CMD_COLUMN_FIRST + kColumnOwner, MF_BYCOMMAND);
    HostPreparePopupMenu(popup);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, MainWindow(), nullptr);
    DestroyMenu(menu);
    return;
  }
  if (fromKeyboard) {
    RECT rc;
    GetWindowRect(list, &rc);
    pt = {rc.left + 4, rc.top + 20};
  }
  HMENU menu = LoadMenuA(ResourceLibrary(), MAKEINTRESOURCEA(itemMenuId));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  HostPreparePopupMenu(popup);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, MainWindow(), nullptr);
  DestroyMenu(menu);
}

bool CFrame::OnCommand(int id) {
  if (id >= CMD_SORT_FIRST && id < CMD_SORT_FIRST + kColumnCount) {
    SortBy(id - CMD_SORT_FIRST);
    return true;
  }
  if (id > CMD_COLUMN_FIRST && id < CMD_COLUMN_FIRST + kColumnCount) {
    if (columnOffered[id - CMD_COLUMN_FIRST]) ToggleColumn(id - CMD_COLUMN_FIRST);
    return true;
  }
  switch (id) {
    case CMD_OPEN: OpenSelection(); return true;
    case CMD_DELETE: DeleteSelection(false); return true;
    case CMD_DELETE_PERMANENT: DeleteSelection(true); return true;
    case CMD_RENAME:
      if (SelectedCount() == 1) {
        int entry = -1;
        int item = NextSelected(-1, entry);
        if (item >= 0) {
          SetFocus(list);
          SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(item), 0);
        }
      }
      return true;
    case CMD_PASTE: PasteFromClipboard(*this); return true;
    case CMD_SELECT_ALL: ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED); return true;
    case CMD_INVERT_SELECTION: {
      const int count = ListView_GetItemCount(list);
      for (int i = 0; i < count; ++i) {
        UINT state = ListView_GetItemState(list, i, LVIS_SELECTED);
        ListView_SetItemState(list, i, state ? 0 : LVIS_SELECTED, LVIS_SELECTED);
      }
      return true;
    }
    case CMD_COLUMNS: ShowColumnDialog(); return true;
    case CMD_FOCUS_ADDRESS: FocusAddress(false); return true;
    case CMD_DROP_ADDRESS: FocusAddress(true); return true;
    case CMD_FOCUS_LIST: FocusList(); return true;
    case CMD_VIEW_ICONS: ChangeView(kViewLargeIcons); return true;
    case CMD_VIEW_LIST: ChangeView(kViewList); return true;
    case CMD_VIEW_DETAILS: ChangeView(kViewDetails); return true;
  }
  return false;
}

bool CFrame::QueryCommand(int id, bool& checked) {
  checked = false;
  if (id >= CMD_VIEW_ICONS && id <= CMD_VIEW_DETAILS) {
    static const int kStyles[3] = {kViewLargeIcons, kViewList, kViewDetails};
    checked = viewStyle == kStyles[id - CMD_VIEW_ICONS];
    return true;
  }
  if (id >= CMD_SORT_FIRST && id < CMD_SORT_FIRST + kColumnCount) {
    checked = SplitSortKey(sortKey).column == id - CMD_SORT_FIRST;
    return true;
  }
  if (id >= CMD_COLUMN_FIRST && id < CMD_COLUMN_FIRST + kColumnCount) {
    const int column = id - CMD_COLUMN_FIRST;
    for (int shown : visibleColumns) checked = checked || shown == column;
    return column != kColumnName && columnOffered[column];
  }
  switch (id) {
    case CMD_OPEN:
    case CMD_DELETE:
    case CMD_DELETE_PERMANENT:
      return true;
    case CMD_RENAME: return SelectedCount() == 1;
    case CMD_CUT:
    case CMD_COPY: return SelectedCount() > 0;
    case CMD_PASTE: return ClipboardOffersPaste(remote);
    case CMD_SELECT_ALL:
    case CMD_COLUMNS:
    case CMD_FOCUS_ADDRESS:
    case CMD_DROP_ADDRESS:
    case CMD_FOCUS_LIST:
      return true;
    case CMD_INVERT_SELECTION: return !entries.empty();
    case CMD_BACK: return !history.back.empty();
    case CMD_FORWARD: return !history.forward.empty();
  }
  return false;
}

void CFrame::UpdateToolbar() {
  if (!toolbar) return;
  const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button = {};
    if (!SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
    if (button.fsStyle & BTNS_SEP) continue;
    bool checked = false;
    const bool enabled = QueryCommand(button.idCommand, checked);
    SendMessageA(toolbar, TB_SETSTATE, static_cast<WPARAM>(button.idCommand),
                 MAKELONG((enabled ? TBSTATE_ENABLED : 0) | (checked ? TBSTATE_CHECKED : 0), 0));
  }
}
