// The two pages of the progress window's detail area: one row per
// connection worker, and the error lines.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "engine/progress_win.h"
#include "engine/progresstext.h"
#include "res/resource.h"

namespace {
constexpr int kImageError = 1, kImageBusy = 2, kImageClosed = 3, kImageIdle = 4;
constexpr int kDefaultColumnWidths[4] = {280, 80, 80, 80};

struct PageMargins {
  int right = 0, bottom = 0;
};
PageMargins gWorkerMargins, gErrorMargins;
constexpr UINT PM_SCROLL_TO_END = WM_APP + 1;
bool gScrollPending = false;

HIMAGELIST StatusImages() {
  if (!gApp.statusImages)
    gApp.statusImages = ImageList_LoadImageA(ResourceLibrary(), MAKEINTRESOURCEA(IDB_STATUS16), 16, 0, RGB(255, 0, 255),
                                             IMAGE_BITMAP, LR_CREATEDIBSECTION);
  return gApp.statusImages;
}

PageMargins& MarginsOf(HWND page) {
  return page == gProgressWindows.errorPage || GetDlgItem(page, IDC_ERROR_LIST) ? gErrorMargins : gWorkerMargins;
}

void RememberMargins(HWND page, int listId) {
  RECT client, list;
  GetClientRect(page, &client);
  GetWindowRect(GetDlgItem(page, listId), &list);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&list), 2);
  PageMargins& m = MarginsOf(page);
  m.right = client.right - list.right;
  m.bottom = client.bottom - list.bottom;
}

void SetItem(HWND list, int row, int column, const char* text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text);
  SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetRow(HWND list, int row, const char* text, int image) {
  if (row < 0 || row >= ListView_GetItemCount(list)) return;
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = row;
  item.pszText = const_cast<char*>(text);
  item.iImage = image;
  SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  for (int c = 1; c <= 3; ++c) SetItem(list, row, c, "");
}

std::string RowText(int worker, UINT stringId) { return WorkerRowPrefix(worker) + LoadResString(stringId); }

void SetWorkerCount(HWND list, int count) {
  if (count < 0) count = 0;
  int rows = ListView_GetItemCount(list);
  for (int r = rows; r < count; ++r) {
    std::string text = RowText(r, IDS_WORKER_CONNECTING);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = r;
    item.pszText = text.data();
    item.iImage = kImageBusy;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  for (int r = rows - 1; r >= count; --r) ListView_DeleteItem(list, r);
}

void AddColumn(HWND list, int index, UINT titleId, int width) {
  std::string title = LoadResString(titleId);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = title.data();
  column.cx = width;
  column.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void InitWorkerList(HWND page) {
  HWND list = GetDlgItem(page, IDC_WORKER_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  ListView_SetImageList(list, StatusImages(), LVSIL_SMALL);
  int widths[4] = {kDefaultColumnWidths[0], kDefaultColumnWidths[1], kDefaultColumnWidths[2], kDefaultColumnWidths[3]};
  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<BYTE> stored;
  if (key && RegReadBlob(key, "ThreadListInfo", stored) && stored.size() == sizeof widths) {
    std::memcpy(widths, stored.data(), sizeof widths);
    for (int& w : widths)
      if (w < 0 || w > 10000) w = 80;
  }
  if (key) RegCloseKey(key);
  const UINT titles[4] = {IDS_WORKER_STATUS, IDS_WORKER_PERCENT, IDS_WORKER_TIMELEFT, IDS_WORKER_SPEED};
  for (int c = 0; c < 4; ++c) AddColumn(list, c, titles[c], widths[c]);
}

void SaveWorkerColumns(HWND page) {
  HWND list = GetDlgItem(page, IDC_WORKER_LIST);
  int32_t widths[4];
  for (int c = 0; c < 4; ++c) widths[c] = ListView_GetColumnWidth(list, c);
  HKEY key = OpenCommonKey(0);
  RegWriteBinary(key, "ThreadListInfo", widths, sizeof widths);
  if (key) RegCloseKey(key);
}

void OnWorkerPercent(HWND list, WPARAM wParam, LPARAM lParam) {
  int row = static_cast<int>(wParam & 0xFFFF);
  if (row >= ListView_GetItemCount(list)) return;
  char percent[16], remaining[64] = "";
  snprintf(percent, sizeof percent, "%u%%", static_cast<unsigned>((wParam >> 16) & 0xFFFF));
  // The text is filled even where the call reports 0, so use the text.
  StrFromTimeIntervalA(remaining, sizeof remaining, static_cast<DWORD>(lParam), 3);
  SetItem(list, row, 1, percent);
  SetItem(list, row, 2, remaining);
}

void OnWorkerSpeed(HWND list, int row, DWORD bytesPerSecond) {
  if (row < 0 || row >= ListView_GetItemCount(list)) return;
  bool kilobytes;
  uint32_t value = SpeedValue(bytesPerSecond, kilobytes);
  std::string format = LoadResString(kilobytes ? IDS_SPEED_KILOBYTES : IDS_SPEED_BYTES);
  char text[64];
  snprintf(text, sizeof text, format.empty() ? "%u" : format.c_str(), value);
  SetItem(list, row, 3, text);
}

void AppendErrorLine(HWND page, const char* text) {
  HWND list = GetDlgItem(page, IDC_ERROR_LIST);
  if (!text) {
    ListView_DeleteAllItems(list);
    return;
  }
  // A visible list redraws and updates its scroll bars on every insert,
  // which makes a burst of lines from many workers crawl. Drawing is held
  // off until the burst is over: the posted message comes after the sends.
  if (!gScrollPending) {
    gScrollPending = true;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    PostMessageA(page, PM_SCROLL_TO_END, 0, 0);
  }
  // Only the new row is selected. Clear the rows selected now one by one:
  // clearing "all rows" touches every row and slows a long list down.
  for (int r = ListView_GetNextItem(list, -1, LVNI_SELECTED); r >= 0; r = ListView_GetNextItem(list, r, LVNI_SELECTED))
    ListView_SetItemState(list, r, 0, LVIS_SELECTED);
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
  item.iItem = ListView_GetItemCount(list);
  item.pszText = const_cast<char*>(text);
  item.iImage = kImageError;
  item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  int width = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text))) + 64;
  if (ListView_GetColumnWidth(list, 0) < width) ListView_SetColumnWidth(list, 0, width);
}

INT_PTR Done(HWND page) {
  SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
  return TRUE;
}
}  // namespace

void FitPageList(HWND page, int listId) {
  if (!page) return;
  HWND list = GetDlgItem(page, listId);
  if (!list) return;
  RECT client, rc;
  GetClientRect(page, &client);
  GetWindowRect(list, &rc);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rc), 2);
  const PageMargins& m = MarginsOf(page);
  int width = client.right - m.right - rc.left, height = client.bottom - m.bottom - rc.top;
  if (width > 0 && height > 0) MoveWindow(list, rc.left, rc.top, width, height, TRUE);
}

INT_PTR CALLBACK WorkerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND list = GetDlgItem(page, IDC_WORKER_LIST);
  switch (message) {
    case WM_INITDIALOG:
      RememberMargins(page, IDC_WORKER_LIST);
      InitWorkerList(page);
      return TRUE;
    case PM_WORKER_COUNT:
      SetWorkerCount(list, static_cast<int>(wParam));
      return Done(page);
    case PM_WORKER_STATUS:
      SetRow(list, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), kImageBusy);
      return Done(page);
    case PM_WORKER_IDLE:
      SetRow(list, static_cast<int>(wParam), RowText(static_cast<int>(wParam), IDS_WORKER_IDLE).c_str(), kImageIdle);
      return Done(page);
    case PM_WORKER_CLOSED:
      SetRow(list, static_cast<int>(wParam), RowText(static_cast<int>(wParam), IDS_WORKER_CLOSED).c_str(),
             kImageClosed);
      return Done(page);
    case PM_WORKER_PERCENT:
      OnWorkerPercent(list, wParam, lParam);
      return Done(page);
    case PM_WORKER_SPEED:
      OnWorkerSpeed(list, static_cast<int>(wParam), static_cast<DWORD>(lParam));
      return Done(page);
    case WM_SIZE:
      FitPageList(page, IDC_WORKER_LIST);
      return TRUE;
    case WM_DESTROY:
      SaveWorkerColumns(page);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK ErrorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      RememberMargins(page, IDC_ERROR_LIST);
      HWND list = GetDlgItem(page, IDC_ERROR_LIST);
      ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
      ListView_SetImageList(list, StatusImages(), LVSIL_SMALL);
      AddColumn(list, 0, IDS_ERROR_COLUMN, 400);
      return TRUE;
    }
    case PM_ERROR_LINE:
      AppendErrorLine(page, reinterpret_cast<const char*>(lParam));
      return Done(page);
    case PM_SCROLL_TO_END: {
      gScrollPending = false;
      HWND list = GetDlgItem(page, IDC_ERROR_LIST);
      SendMessageA(list, WM_SETREDRAW, TRUE, 0);
      int count = ListView_GetItemCount(list);
      if (count > 0) ListView_EnsureVisible(list, count - 1, FALSE);
      InvalidateRect(list, nullptr, TRUE);
      return Done(page);
    }
    case WM_CONTEXTMENU: {
      HMENU menu = LoadMenuA(ResourceLibrary(), MAKEINTRESOURCEA(IDM_ERROR_LIST));
      if (!menu) return TRUE;
      POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (pt.x == -1 && pt.y == -1) GetCursorPos(&pt);
      TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0,
                     MainWindow() ? MainWindow() : page, nullptr);
      DestroyMenu(menu);
      return TRUE;
    }
    case WM_SIZE:
      FitPageList(page, IDC_ERROR_LIST);
      return TRUE;
  }
  return FALSE;
}

void ClearErrorLines() {
  if (gProgressWindows.errorPage) SendMessageA(gProgressWindows.errorPage, PM_ERROR_LINE, 0, 0);
}

void CopyErrorLines() {
  if (!gProgressWindows.errorPage) return;
  HWND list = GetDlgItem(gProgressWindows.errorPage, IDC_ERROR_LIST);
  std::string all;
  int rows = ListView_GetItemCount(list);
  for (int r = 0; r < rows; ++r) {
    char text[kReportLineSize + 200] = {};
    ListView_GetItemText(list, r, 0, text, sizeof text);
    all += text;
    all += "\r\n";
  }
  if (!OpenClipboard(MainWindow())) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, all.size() + 1)) {
    std::memcpy(GlobalLock(mem), all.c_str(), all.size() + 1);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}
