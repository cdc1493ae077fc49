#include "engine/progress_win.h"

#include <commctrl.h>
#include <prsht.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "app/statusbar_win.h"
#include "engine/progressapi_win.h"
#include "res/resource.h"

ProgressWindows gProgressWindows;

namespace {
constexpr size_t kProgWISize = 24;

struct Margins {
  int barRight;       // client right - progress bar right
  int cancelLeft;     // client right - Cancel left
  int detailsLeft;    // client right - details button left
  int percentRight;   // client right - percentage right
  RECT sheet;         // left, top as placed; right and bottom as margins to the client edges
};

struct ProgressState {
  int done = 0;
  int total = 0;
  bool detailsShown = false;
  int expandedHeight = 0;  // window height with details, 0 until known
  char detailsCaption[16] = {};
  Margins margins = {};
};
ProgressState gState;

RECT ChildRect(HWND dialog, int id) {
  RECT rc = {};
  HWND child = GetDlgItem(dialog, id);
  if (!child) return rc;
  GetWindowRect(child, &rc);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// Height of the window whose client area reaches down to `clientBottom`.
int WindowHeightFor(HWND dialog, int clientBottom) {
  RECT rc = {0, 0, 0, clientBottom};
  AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
  return rc.bottom - rc.top;
}

void SetText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

void ShowCounts(HWND dialog) {
  SetDlgItemInt(dialog, IDC_PROGRESS_DONE, static_cast<UINT>(gState.done), TRUE);
  SetDlgItemInt(dialog, IDC_PROGRESS_TOTAL, static_cast<UINT>(gState.total), TRUE);
}

void UpdateDetailsCaption(HWND dialog) {
  char caption[40];
  snprintf(caption, sizeof caption, gState.detailsShown ? "<< %s" : "%s >>", gState.detailsCaption);
  SetText(dialog, IDC_PROGRESS_DETAILS, caption);
}

void ApplyDetails(HWND dialog) {
  RECT window;
  GetWindowRect(dialog, &window);
  int height;
  if (gState.detailsShown) {
    height = gState.expandedHeight > 0 ? gState.expandedHeight
                                       : WindowHeightFor(dialog, ChildRect(dialog, IDC_PROGRESS_SHEETFRAME).bottom);
  } else {
    height = WindowHeightFor(dialog, ChildRect(dialog, IDC_PROGRESS_COLLAPSED).bottom);
  }
  if (gProgressWindows.sheet) ShowWindow(gProgressWindows.sheet, gState.detailsShown ? SW_SHOW : SW_HIDE);
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateDetailsCaption(dialog);
}

void ToggleDetails(HWND dialog) {
  if (gState.detailsShown) {
    RECT window;
    GetWindowRect(dialog, &window);
    gState.expandedHeight = window.bottom - window.top;
  }
  gState.detailsShown = !gState.detailsShown;
  ApplyDetails(dialog);
}

void MoveChild(HWND dialog, int id, int x, int y, int width, int height) {
  if (HWND child = GetDlgItem(dialog, id)) MoveWindow(child, x, y, width, height, TRUE);
}

void Layout(HWND dialog) {
  RECT client;
  GetClientRect(dialog, &client);
  const Margins& m = gState.margins;
  RECT bar = ChildRect(dialog, IDC_PROGRESS_BAR);
  MoveChild(dialog, IDC_PROGRESS_BAR, bar.left, bar.top, client.right - m.barRight - bar.left, bar.bottom - bar.top);
  RECT pct = ChildRect(dialog, IDC_PROGRESS_PERCENT);
  int pctWidth = pct.right - pct.left;
  MoveChild(dialog, IDC_PROGRESS_PERCENT, client.right - m.percentRight - pctWidth, pct.top, pctWidth,
            pct.bottom - pct.top);
  for (int id : {IDC_PROGRESS_TITLE, IDC_PROGRESS_ITEM}) {
    RECT rc = ChildRect(dialog, id);
    MoveChild(dialog, id, rc.left, rc.top, client.right - m.barRight - rc.left, rc.bottom - rc.top);
  }
  RECT cancel = ChildRect(dialog, IDC_PROGRESS_CANCEL);
  MoveChild(dialog, IDC_PROGRESS_CANCEL, client.right - m.cancelLeft, cancel.top, cancel.right - cancel.left,
            cancel.bottom - cancel.top);
  RECT details = ChildRect(dialog, IDC_PROGRESS_DETAILS);
  MoveChild(dialog, IDC_PROGRESS_DETAILS, client.right - m.detailsLeft, details.top, details.right - details.left,
            details.bottom - details.top);

  HWND sheet = gProgressWindows.sheet;
  if (!sheet || !gState.detailsShown) return;
  int width = client.right - m.sheet.right - m.sheet.left;
  int height = client.bottom - m.sheet.bottom - m.sheet.top;
  if (width < 50 || height < 50) return;
  MoveWindow(sheet, m.sheet.left, m.sheet.top, width, height, TRUE);
  // The sheet does not size its own children: the tab control takes the
  // whole sheet and every page the tab's display area.
  HWND tab = PropSheet_GetTabControl(sheet);
  if (!tab) return;
  MoveWindow(tab, 0, 0, width, height, TRUE);
  RECT display = {0, 0, width, height};
  TabCtrl_AdjustRect(tab, FALSE, &display);
  for (HWND page : {gProgressWindows.workerPage, gProgressWindows.errorPage}) {
    if (!page) continue;
    MoveWindow(page, display.left, display.top, display.right - display.left, display.bottom - display.top, TRUE);
  }
  FitPageList(gProgressWindows.workerPage, IDC_WORKER_LIST);
  FitPageList(gProgressWindows.errorPage, IDC_ERROR_LIST);
}

int CALLBACK SheetCallback(HWND, UINT message, LPARAM lParam) {
  if (message == PSCB_PRECREATE && lParam) {
    // Turn the sheet's popup template into a child of the dialog.
    // The font bits must stay: they say that the template carries a font.
    auto* templ = reinterpret_cast<DLGTEMPLATE*>(lParam);
    const DWORD keep = DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK;
    const DWORD childStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | DS_CONTROL;
    if (reinterpret_cast<WORD*>(templ)[1] == 0xFFFF) {
      auto* ex = reinterpret_cast<DWORD*>(templ);  // DLGTEMPLATEEX: exStyle at +8, style at +12
      ex[2] = WS_EX_CONTROLPARENT;
      ex[3] = (ex[3] & keep) | childStyle;
    } else {
      templ->style = (templ->style & keep) | childStyle;
      templ->dwExtendedStyle = WS_EX_CONTROLPARENT;
    }
  }
  return 0;
}

HWND CreateDetailSheet(HWND dialog) {
  PROPSHEETPAGEA pages[2] = {};
  for (PROPSHEETPAGEA& p : pages) {
    p.dwSize = sizeof p;
    p.hInstance = ResourceLibrary();
  }
  pages[0].pszTemplate = MAKEINTRESOURCEA(IDD_PROGRESS_WORKERS);
  pages[0].pfnDlgProc = WorkerPageProc;
  pages[1].pszTemplate = MAKEINTRESOURCEA(IDD_PROGRESS_ERRORS);
  pages[1].pfnDlgProc = ErrorPageProc;

  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_PROPSHEETPAGE | PSH_USECALLBACK;
  header.hwndParent = dialog;
  header.hInstance = ResourceLibrary();
  header.nPages = 2;
  header.ppsp = pages;
  header.pfnCallback = SheetCallback;
  HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
  if (!sheet) return nullptr;
  SetWindowLongPtrA(sheet, GWLP_ID, IDC_PROGRESS_SHEETFRAME + 1000);
  for (int id : {IDOK, IDCANCEL, IDHELP, 0x3021 /* Apply */}) {
    if (HWND button = GetDlgItem(sheet, id)) ShowWindow(button, SW_HIDE);
  }
  // Pages are made when first shown; show both now so the engine can talk
  // to either from the start.
  PropSheet_SetCurSel(sheet, nullptr, 1);
  PropSheet_SetCurSel(sheet, nullptr, 0);
  gProgressWindows.workerPage = PropSheet_IndexToHwnd(sheet, 0);
  gProgressWindows.errorPage = PropSheet_IndexToHwnd(sheet, 1);
  return sheet;
}

void RestorePlacement(HWND dialog) {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<BYTE> stored;
  if (key && RegReadBlob(key, "ProgWI", stored) && stored.size() == kProgWISize) {
    int32_t v[6];
    std::memcpy(v, stored.data(), sizeof v);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(dialog, &wp);
    wp.rcNormalPosition = {v[0], v[1], v[2], v[3]};
    wp.showCmd = SW_HIDE;
    SetWindowPlacement(dialog, &wp);
    CheckDlgButton(dialog, IDC_PROGRESS_KEEPOPEN, v[4] ? BST_CHECKED : BST_UNCHECKED);
    gState.detailsShown = v[5] != 0;
    if (gState.detailsShown) gState.expandedHeight = v[3] - v[1];
  }
  if (key) RegCloseKey(key);
}

void SavePlacement(HWND dialog) {
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(dialog, &wp)) return;
  int32_t v[6] = {wp.rcNormalPosition.left, wp.rcNormalPosition.top, wp.rcNormalPosition.right,
                  wp.rcNormalPosition.bottom, IsDlgButtonChecked(dialog, IDC_PROGRESS_KEEPOPEN) == BST_CHECKED,
                  gState.detailsShown};
  HKEY key = OpenCommonKey(0);
  RegWriteBinary(key, "ProgWI", v, sizeof v);
  if (key) RegCloseKey(key);
}

void OnInitDialog(HWND dialog) {
  gProgressWindows.dialog = dialog;
  gState = ProgressState{};
  RECT client;
  GetClientRect(dialog, &client);
  Margins& m = gState.margins;
  m.barRight = client.right - ChildRect(dialog, IDC_PROGRESS_BAR).right;
  m.cancelLeft = client.right - ChildRect(dialog, IDC_PROGRESS_CANCEL).left;
  m.detailsLeft = client.right - ChildRect(dialog, IDC_PROGRESS_DETAILS).left;
  m.percentRight = client.right - ChildRect(dialog, IDC_PROGRESS_PERCENT).right;
  RECT frame = ChildRect(dialog, IDC_PROGRESS_SHEETFRAME);
  m.sheet = {frame.left, frame.top, client.right - frame.right, client.bottom - frame.bottom};
  if (HICON icon = LoadIconA(ResourceLibrary(), MAKEINTRESOURCEA(IDI_VORTO)))
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

  ShowCounts(dialog);
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 0);
  gProgressWindows.sheet = CreateDetailSheet(dialog);
  if (gProgressWindows.sheet) {
    MoveWindow(gProgressWindows.sheet, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               FALSE);
  }
  GetDlgItemTextA(dialog, IDC_PROGRESS_DETAILS, gState.detailsCaption, sizeof gState.detailsCaption);
  RestorePlacement(dialog);
  ApplyDetails(dialog);
  Layout(dialog);
}

void OnCurrentItem(HWND dialog, bool count, const char* text) {
  SetText(dialog, IDC_PROGRESS_ITEM, text ? text : "");
  if (!count || !text || !*text) return;
  ++gState.done;
  ShowCounts(dialog);
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(gState.done), 0);
  if (gState.total != 0) {
    char percent[16];
    snprintf(percent, sizeof percent, "%d %%", MulDiv(gState.done, 100, gState.total));
    SetText(dialog, IDC_PROGRESS_PERCENT, percent);
  }
}

void OnTitle(HWND dialog, UINT stringId) {
  std::string text = stringId ? LoadResString(stringId) : std::string();
  SetText(dialog, IDC_PROGRESS_TITLE, text.c_str());
  ShowActionText(text.c_str());
}

void SetTotal(HWND dialog, int total, bool resetDone) {
  if (resetDone) gState.done = 0;
  gState.total = total;
  ShowCounts(dialog);
  SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(gState.total));
  if (resetDone) {
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    SetText(dialog, IDC_PROGRESS_PERCENT, "");
  }
}

// A whole error report, done here on the user-interface thread so that the
// steps of concurrent reports never interleave.
void OnReport(HWND dialog, const char* text) {
  SetErrorReported(true);
  if (Options().autoShowProgress) {
    if (!IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOWNOACTIVATE);
    SendMessageA(dialog, PM_ACTION, 1, 1);  // starts the action but keeps a cancel request
  }
  HWND sheet = gProgressWindows.sheet;
  if (sheet && PropSheet_GetCurrentPageHwnd(sheet) != gProgressWindows.errorPage)
    PropSheet_SetCurSelByID(sheet, IDD_PROGRESS_ERRORS);
  if (gProgressWindows.errorPage)
    SendMessageA(gProgressWindows.errorPage, PM_ERROR_LINE, 0, reinterpret_cast<LPARAM>(text));
  if (!gState.detailsShown) ToggleDetails(dialog);
}

INT_PTR Result(HWND dialog, LRESULT value) {
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, value);
  return TRUE;
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case PM_ACTION:
      if (wParam == 1 && lParam != 1) ClearCancelRequest();
      return Result(dialog, 0);
    case PM_ACTION_DONE:
      if (IsDlgButtonChecked(dialog, IDC_PROGRESS_KEEPOPEN) != BST_CHECKED) ShowWindow(dialog, SW_HIDE);
      return Result(dialog, 0);
    case PM_CURRENT_ITEM:
      OnCurrentItem(dialog, wParam != 0, reinterpret_cast<const char*>(lParam));
      return Result(dialog, 0);
    case PM_TITLE:
      OnTitle(dialog, static_cast<UINT>(wParam));
      return Result(dialog, 0);
    case PM_ADD_TOTAL:
      SetTotal(dialog, gState.total + static_cast<int>(wParam), false);
      return Result(dialog, 0);
    case PM_SET_TOTAL:
      SetTotal(dialog, static_cast<int>(wParam), true);
      return Result(dialog, 0);
    case PM_REPORT:
      OnReport(dialog, reinterpret_cast<const char*>(lParam));
      return Result(dialog, 0);
    case PM_ERROR_LINE:
      if (gProgressWindows.errorPage) SendMessageA(gProgressWindows.errorPage, message, wParam, lParam);
      return Result(dialog, 0);
    case PM_WORKER_COUNT:
    case PM_WORKER_STATUS:
    case PM_WORKER_IDLE:
    case PM_WORKER_CLOSED:
    case PM_WORKER_PERCENT:
    case PM_WORKER_SPEED:
      if (gProgressWindows.workerPage) SendMessageA(gProgressWindows.workerPage, message, wParam, lParam);
      return Result(dialog, 0);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PROGRESS_CANCEL:
          RequestCancel();
          if (gApp.runningJobs > 0) OnTitle(dialog, IDS_CANCELLING);
          return TRUE;
        case IDCANCEL:
          ShowWindow(dialog, SW_HIDE);
          SetErrorReported(false);
          return TRUE;
        case IDC_PROGRESS_DETAILS:
          ToggleDetails(dialog);
          return TRUE;
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      RECT marker = ChildRect(dialog, IDC_PROGRESS_MINSIZE);
      RECT rc = {0, 0, marker.right, marker.bottom};
      AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
      info->ptMinTrackSize.x = rc.right - rc.left;
      if (gState.detailsShown) info->ptMinTrackSize.y = rc.bottom - rc.top;
      return Result(dialog, 0);
    }
    case WM_NCHITTEST: {
      if (gState.detailsShown) break;
      // Collapsed, the window has a fixed height: its top and bottom
      // borders do not size it.
      LRESULT hit = DefWindowProcA(dialog, message, wParam, lParam);
      switch (hit) {
        case HTTOP:
        case HTBOTTOM: hit = HTBORDER; break;
        case HTTOPLEFT:
        case HTBOTTOMLEFT: hit = HTLEFT; break;
        case HTTOPRIGHT:
        case HTBOTTOMRIGHT: hit = HTRIGHT; break;
      }
      return Result(dialog, hit);
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Layout(dialog);
      return TRUE;
    case WM_DESTROY:
      SavePlacement(dialog);
      if (gProgressWindows.sheet) DestroyWindow(gProgressWindows.sheet);
      gProgressWindows = ProgressWindows{};
      return TRUE;
  }
  return FALSE;
}
}  // namespace

HWND CreateProgressWindow(HWND owner) {
  if (gProgressWindows.dialog) return gProgressWindows.dialog;
  return CreateDialogParamA(ResourceLibrary(), MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressProc, 0);
}

void DestroyProgressWindow() {
  if (gProgressWindows.dialog) DestroyWindow(gProgressWindows.dialog);
}

void ShowProgressWorkerList() {
  HWND dialog = gProgressWindows.dialog;
  if (!dialog) return;
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  if (!gState.detailsShown) ToggleDetails(dialog);
  if (gProgressWindows.sheet) PropSheet_SetCurSelByID(gProgressWindows.sheet, IDD_PROGRESS_WORKERS);
  if (gProgressWindows.workerPage) SetFocus(GetDlgItem(gProgressWindows.workerPage, IDC_WORKER_LIST));
}
