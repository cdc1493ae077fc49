#include "app/quickbar_win.h"

#include <commctrl.h>

#include "app/appstate_win.h"
#include "app/barhistory_win.h"
#include "app/bars_win.h"
#include "base/libreg_win.h"
#include "app/quickconnect_win.h"
#include "base/textbuf.h"
#include "res/resource.h"

namespace {
HWND gQuickBar = nullptr;
bool gQuickExpanded = false;

void ShowExtras(HWND bar, bool show) {
  gQuickExpanded = show;
  for (int id : {IDC_QUICK_USER_LABEL, IDC_QUICK_USER, IDC_QUICK_PASSWORD_LABEL, IDC_QUICK_PASSWORD})
    ShowWindow(GetDlgItem(bar, id), show ? SW_SHOW : SW_HIDE);
  SetDlgItemTextA(bar, IDC_QUICK_MORE, show ? "<" : ">");
  // The band grows to show the fields (or may shrink back without them).
  FitQuickBand();
}

void OnQuickConnect(HWND bar) {
  char text[260] = {};
  GetDlgItemTextA(bar, IDC_QUICK_ADDRESS, text, sizeof text);
  if (!text[0]) return;
  char user[80] = {}, password[80] = {};
  GetDlgItemTextA(bar, IDC_QUICK_USER, user, sizeof user);
  GetDlgItemTextA(bar, IDC_QUICK_PASSWORD, password, sizeof password);
  QuickConnectFields fields = {};
  CopyText(fields.user, user);
  CopyText(fields.password, password);
  fields.sftp = IsDlgButtonChecked(bar, IDC_QUICK_SFTP) == BST_CHECKED;
  fields.passive = IsDlgButtonChecked(bar, IDC_QUICK_PASSIVE) == BST_CHECKED;
  SecureZeroMemory(password, sizeof password);
  if (!QuickConnectWithFields(text, fields)) return;
  // The bar shows what was used: the host alone on top of the history.
  SetDlgItemTextA(bar, IDC_QUICK_USER, fields.user);
  SetDlgItemTextA(bar, IDC_QUICK_PASSWORD, gQuickExpanded ? fields.password : "");
  CheckDlgButton(bar, IDC_QUICK_SFTP, fields.sftp ? BST_CHECKED : BST_UNCHECKED);
  HWND combo = GetDlgItem(bar, IDC_QUICK_ADDRESS);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  FillHistory(combo, "QuickUrl%02d");
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  if (!gQuickExpanded) SetDlgItemTextA(bar, IDC_QUICK_USER, "");
  SecureZeroMemory(&fields, sizeof fields);
}
INT_PTR CALLBACK QuickBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      FillHistory(GetDlgItem(bar, IDC_QUICK_ADDRESS), "QuickUrl%02d");
      SendDlgItemMessageA(bar, IDC_QUICK_USER, EM_LIMITTEXT, 79, 0);
      SendDlgItemMessageA(bar, IDC_QUICK_PASSWORD, EM_LIMITTEXT, 79, 0);
      HKEY key = OpenCommonKey(kKeyStartupRead);
      CheckDlgButton(bar, IDC_QUICK_SFTP, RegReadInt(key, "QuickSFTP", 0) ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(bar, IDC_QUICK_PASSIVE, RegReadInt(key, "QuickPassive", 0) ? BST_CHECKED : BST_UNCHECKED);
      if (key) RegCloseKey(key);
      ShowExtras(bar, false);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_QUICK_CONNECT:
          OnQuickConnect(bar);
          return TRUE;
        case IDC_QUICK_MORE:
          ShowExtras(bar, !gQuickExpanded);
          if (!gQuickExpanded) SetDlgItemTextA(bar, IDC_QUICK_PASSWORD, "");
          return TRUE;
      }
      break;
  }
  return FALSE;
}
}  // namespace

HWND CreateQuickBar(HWND rebar) {
  gQuickBar = CreateDialogParamA(ResourceLibrary(), MAKEINTRESOURCEA(IDD_QUICK_CONNECT), rebar, QuickBarProc, 0);
  if (gQuickBar) SetWindowLongPtrA(gQuickBar, GWLP_ID, IDC_QUICK_BAND);
  return gQuickBar;
}

void SaveQuickBar() {
  if (!gQuickBar) return;
  SaveHistory(GetDlgItem(gQuickBar, IDC_QUICK_ADDRESS), "QuickUrl%02d");
  HKEY key = OpenCommonKey(0);
  RegWriteInt(key, "QuickSFTP", IsDlgButtonChecked(gQuickBar, IDC_QUICK_SFTP) == BST_CHECKED);
  RegWriteInt(key, "QuickPassive", IsDlgButtonChecked(gQuickBar, IDC_QUICK_PASSIVE) == BST_CHECKED);
  if (key) RegCloseKey(key);
}

void ForgetQuickBar() { gQuickBar = nullptr; }

HWND QuickConnectBar() { return gQuickBar; }

bool QuickBarExpanded() { return gQuickExpanded; }

int QuickBarContentWidth() {
  if (!gQuickBar) return 0;
  // Everything up to the last field shown, in the bar's own coordinates.
  RECT rc;
  GetWindowRect(GetDlgItem(gQuickBar, gQuickExpanded ? IDC_QUICK_PASSWORD : IDC_QUICK_MORE), &rc);
  MapWindowPoints(nullptr, gQuickBar, reinterpret_cast<POINT*>(&rc), 2);
  return rc.right + 2;
}

void ShowQuickExtras(bool show) {
  if (gQuickBar) ShowExtras(gQuickBar, show);
}

void ConnectFromQuickBar() {
  if (gQuickBar) OnQuickConnect(gQuickBar);
}
