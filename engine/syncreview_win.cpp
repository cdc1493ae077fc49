// The review of a synchronize list (dialog 135): the steps sorted by kind,
// one row each, rows the user removes are not run. The main window calls
// ReviewSynchronizeList when a synchronize job completes and, on OK, runs
// what is left with RunReviewedList.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/help_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "engine/syncreview_win.h"
#include "engine/transferrules.h"
#include "res/resource.h"

namespace {
constexpr int kMinWidth = 190, kMinHeight = 130;
constexpr DWORD kHelpTopic = 1004;
constexpr UINT kStepTexts[6] = {0, IDS_SYNC_DELETE_FILE, IDS_SYNC_REMOVE_DIR, IDS_SYNC_CREATE_DIR, IDS_SYNC_NEW_FILE,
                                IDS_SYNC_REPLACE_FILE};

constexpr int kButtons[4] = {IDC_SYNC_REMOVE, IDOK, IDCANCEL, IDHELP};

struct Review {
  std::vector<TransferItem>* list;
  std::string texts[6];
  // Distances kept while resizing: the list's right and bottom from the
  // client edges; each button's left (Remove) or right offset and its top
  // from the bottom edge.
  int listRight = 0, listBottom = 0;
  POINT buttons[4] = {};
  std::string row;  // text handed to the list view, alive until the next request
};

RECT ChildRect(HWND dialog, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void UpdateRemoveButton(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_SYNC_LIST);
  EnableWindow(GetDlgItem(dialog, IDC_SYNC_REMOVE), ListView_GetSelectedCount(list) > 0);
}

void RemoveSelected(HWND dialog, Review& r) {
  HWND list = GetDlgItem(dialog, IDC_SYNC_LIST);
  std::vector<TransferItem> kept;
  for (int i = 0; i < static_cast<int>(r.list->size()); ++i)
    if (!(ListView_GetItemState(list, i, LVIS_SELECTED) & LVIS_SELECTED)) kept.push_back((*r.list)[i]);
  r.list->swap(kept);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemCountEx(list, r.list->size(), 0);
  InvalidateRect(list, nullptr, TRUE);
  UpdateRemoveButton(dialog);
}

void Layout(HWND dialog, const Review& r) {
  RECT client;
  GetClientRect(dialog, &client);
  RECT lr = ChildRect(dialog, IDC_SYNC_LIST);
  const int width = client.right - r.listRight - lr.left;
  MoveWindow(GetDlgItem(dialog, IDC_SYNC_LIST), lr.left, lr.top, width, client.bottom - r.listBottom - lr.top, TRUE);
  ListView_SetColumnWidth(GetDlgItem(dialog, IDC_SYNC_LIST), 0, width - GetSystemMetrics(SM_CXVSCROLL) - 4);
  for (int i = 0; i < 4; ++i) {
    RECT br = ChildRect(dialog, kButtons[i]);
    const int left = i == 0 ? r.buttons[i].x : client.right - r.buttons[i].x;
    MoveWindow(GetDlgItem(dialog, kButtons[i]), left, client.bottom - r.buttons[i].y, br.right - br.left,
               br.bottom - br.top, TRUE);
  }
}

void SavePlacement(HWND dialog) {
  WINDOWPLACEMENT wp = {sizeof wp};
  if (!GetWindowPlacement(dialog, &wp)) return;
  if (HKEY key = OpenCommonKey(0)) {
    RegWriteBinary(key, "SyncWI", &wp.rcNormalPosition, sizeof wp.rcNormalPosition);
    RegCloseKey(key);
  }
}

void RestorePlacement(HWND dialog) {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  if (!key) return;
  std::vector<BYTE> data;
  if (RegReadBlob(key, "SyncWI", data) && data.size() == sizeof(RECT)) {
    WINDOWPLACEMENT wp = {sizeof wp};
    GetWindowPlacement(dialog, &wp);
    memcpy(&wp.rcNormalPosition, data.data(), sizeof(RECT));
    wp.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(dialog, &wp);
  }
  RegCloseKey(key);
}

INT_PTR CALLBACK ReviewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* r = reinterpret_cast<Review*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      r = reinterpret_cast<Review*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      HWND list = GetDlgItem(dialog, IDC_SYNC_LIST);
      ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
      if (ShellImages().smallIcons) ListView_SetImageList(list, ShellImages().smallIcons, LVSIL_SMALL);
      char caption[128] = {};
      GetWindowTextA(dialog, caption, sizeof caption);
      LVCOLUMNA column = {};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = caption;
      column.cx = 400;
      ListView_InsertColumn(list, 0, &column);
      ListView_SetItemCountEx(list, r->list->size(), 0);
      RECT client;
      GetClientRect(dialog, &client);
      RECT lr = ChildRect(dialog, IDC_SYNC_LIST);
      r->listRight = client.right - lr.right;
      r->listBottom = client.bottom - lr.bottom;
      for (int i = 0; i < 4; ++i) {
        RECT br = ChildRect(dialog, kButtons[i]);
        r->buttons[i].x = i == 0 ? br.left : client.right - br.left;
        r->buttons[i].y = client.bottom - br.top;
      }
      RestorePlacement(dialog);
      Layout(dialog, *r);
      UpdateRemoveButton(dialog);
      return TRUE;
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = kMinWidth;
      info->ptMinTrackSize.y = kMinHeight;
      return TRUE;
    }
    case WM_SIZE:
      if (r) Layout(dialog, *r);
      return TRUE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (!r || header->idFrom != IDC_SYNC_LIST) break;
      if (header->code == LVN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
        const int index = info->item.iItem;
        if (index < 0 || index >= static_cast<int>(r->list->size())) return TRUE;
        const TransferItem& step = (*r->list)[index];
        const int kind = step.kind >= 1 && step.kind <= 5 ? step.kind : 0;
        if (info->item.mask & LVIF_TEXT) {
          r->row = r->texts[kind] + " " + step.destination;
          lstrcpynA(info->item.pszText, r->row.c_str(), info->item.cchTextMax);
        }
        if (info->item.mask & LVIF_IMAGE)
          info->item.iImage = kind == kStepRemoveDirectory || kind == kStepMakeDirectory ? ShellImages().folderIcon
                                                                                        : ShellImages().fileIcon;
        return TRUE;
      }
      if (header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) UpdateRemoveButton(dialog);
      if (header->code == LVN_KEYDOWN) {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey;
        if (key == VK_DELETE) RemoveSelected(dialog, *r);
        if (key == 'A') ListView_SetItemState(GetDlgItem(dialog, IDC_SYNC_LIST), -1, LVIS_SELECTED, LVIS_SELECTED);
      }
      break;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SYNC_REMOVE:
          RemoveSelected(dialog, *r);
          return TRUE;
        case IDHELP:
          ShowHelpTopic(kHelpTopic);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          SavePlacement(dialog);
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
      }
      break;
  }
  return FALSE;
}
}  // namespace

void SortStepsForReview(std::vector<TransferItem>& steps) {
  std::stable_sort(steps.begin(), steps.end(),
                   [](const TransferItem& a, const TransferItem& b) { return a.kind < b.kind; });
}

bool ReviewSynchronizeList(HWND owner, EngineJob* job) {
  if (!job || !job->transferList) return false;
  SortStepsForReview(*job->transferList);
  Review review;
  review.list = job->transferList;
  for (int kind = 1; kind <= 5; ++kind) review.texts[kind] = LoadResString(kStepTexts[kind]);
  INT_PTR result = DialogBoxParamA(ResourceLibrary(), MAKEINTRESOURCEA(IDD_SYNC_REVIEW), owner, ReviewProc,
                                   reinterpret_cast<LPARAM>(&review));
  return result == IDOK && !job->transferList->empty();
}
