#include "profiles/login_win.h"

#include <cstring>

#include "app/appstate_win.h"
#include "base/textbuf.h"
#include "profiles/current_win.h"
#include "profiles/profilestore_win.h"
#include "res/resource.h"

namespace {
// The internet library's text for an error, up to the first line break.
void ErrorText(DWORD code, char* out, DWORD capacity) {
  out[0] = '\0';
  if (!code) return;
  HMODULE wininet = GetModuleHandleA("wininet.dll");
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, wininet, code, 0, out,
                           capacity, nullptr);
  if (n == 0) {
    out[0] = '\0';
    return;
  }
  out[capacity - 1] = '\0';
  out[strcspn(out, "\r\n")] = '\0';
}

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      char text[512];
      ErrorText(static_cast<DWORD>(lParam), text, sizeof text);
      SetDlgItemTextA(dialog, IDC_LOGIN_ERROR, text);
      SendDlgItemMessageA(dialog, IDC_LOGIN_USER, EM_LIMITTEXT, 79, 0);
      SendDlgItemMessageA(dialog, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, 79, 0);
      SetDlgItemTextA(dialog, IDC_LOGIN_USER, gCurrent.record.user);
      SetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, gCurrent.sessionPassword);
      // The quick-connect profile is never saved back.
      EnableWindow(GetDlgItem(dialog, IDC_LOGIN_SAVE), !IsQuickConnectCurrent());
      SetFocus(GetDlgItem(dialog, gCurrent.record.user[0] ? IDC_LOGIN_PASSWORD : IDC_LOGIN_USER));
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          char user[80], password[80];
          GetDlgItemTextA(dialog, IDC_LOGIN_USER, user, sizeof user);
          GetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, password, sizeof password);
          CopyText(gCurrent.record.user, user);
          CopyText(gCurrent.sessionPassword, password);
          if (IsDlgButtonChecked(dialog, IDC_LOGIN_SAVE) == BST_CHECKED && !IsQuickConnectCurrent()) {
            CopyText(gCurrent.record.password, password);
            SaveProfile(gCurrent.name, gCurrent.record, gCurrent.lists);
          }
          SecureZeroMemory(password, sizeof password);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}
}  // namespace

INT_PTR ShowLoginDialog(HWND owner, DWORD errorCode) {
  if (!ResourceLibrary()) return IDCANCEL;
  INT_PTR result = DialogBoxParamA(ResourceLibrary(), MAKEINTRESOURCEA(IDD_LOGIN), owner ? owner : MainWindow(),
                                   LoginProc, static_cast<LPARAM>(errorCode));
  return result == IDOK ? IDOK : IDCANCEL;
}
