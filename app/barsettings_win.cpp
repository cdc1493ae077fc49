#include "app/barsettings_win.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/barlayout.h"
#include "app/bars_win.h"
#include "base/commandbuttons.h"
#include "base/help_win.h"
#include "base/msgbox_win.h"
#include "base/toolbarimages_win.h"
#include "res/resource.h"

namespace {
constexpr DWORD kHelpTopic = 1014;

// What the dialog leaves to do once it is closed.
enum BarSettingsExit : INT_PTR { kExitClose = 0, kExitCustomize = 1, kExitNew = 2 };

uint32_t gChosenToolbar = 0;

void FillToolbarList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_BARS_LIST);
  int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  std::string format = LoadResString(IDS_TOOLBAR_NAME);
  for (uint32_t id : CommandToolbarIds()) {
    char name[80];
    snprintf(name, sizeof name, format.c_str(), static_cast<int>(id - kFirstCommandToolbar + 1));
    int row = static_cast<int>(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)));
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(id));
  }
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  if (count > 0) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected >= 0 && selected < count ? selected : 0), 0);
}

uint32_t SelectedToolbar(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_BARS_LIST);
  int row = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  return row >= 0 ? static_cast<uint32_t>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(row), 0)) : 0;
}

void ShowState(HWND dialog) {
  FillToolbarList(dialog);
  CheckDlgButton(dialog, IDC_BARS_TOOLS, BandShown(IDC_TOOLS_BAND) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_BARS_FILTER, BandShown(IDC_FILTER_BAND) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_BARS_QUICK, BandShown(IDC_QUICK_BAND) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_BARS_TITLES, (BarFlags() & kBarTitlesShown) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_BARS_LOCKED, (BarFlags() & kBarsLocked) ? BST_CHECKED : BST_UNCHECKED);
  ToolbarImageOptions options = ReadToolbarImageOptions();
  CheckDlgButton(dialog, IDC_BARS_LARGE, options.large ? BST_CHECKED : BST_UNCHECKED);
  CheckRadioButton(dialog, IDC_BARS_COLOR16, IDC_BARS_TRUECOLOR, IDC_BARS_COLOR16 + options.colorLevel);
  EnableWindow(GetDlgItem(dialog, IDC_BARS_TRUECOLOR), ColorLevel2Available());
  EnableWindow(GetDlgItem(dialog, IDC_BARS_DELETE), SelectedToolbar(dialog) != kFirstCommandToolbar);
}

void ChangeImages(HWND dialog, bool large, int level) {
  WriteToolbarImageOptions({large, level});
  ReloadToolbarImages();
  ShowState(dialog);
}

void DeleteChosen(HWND dialog) {
  uint32_t id = SelectedToolbar(dialog);
  if (!RemoveCommandToolbar(id)) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  ShowState(dialog);
}

void CloseFor(HWND dialog, BarSettingsExit exit) {
  gChosenToolbar = SelectedToolbar(dialog);
  EndDialog(dialog, exit);
}

INT_PTR CALLBACK BarSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ShowState(dialog);
      return TRUE;
    case WM_HELP:
      ShowHelpTopic(kHelpTopic);
      return TRUE;
    case WM_VKEYTOITEM:
      if (LOWORD(wParam) == VK_INSERT) {
        CloseFor(dialog, kExitNew);
        return -2;
      }
      if (LOWORD(wParam) == VK_DELETE) {
        DeleteChosen(dialog);
        return -2;
      }
      return -1;
    case WM_COMMAND: {
      WORD id = LOWORD(wParam);
      bool checked = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
      ToolbarImageOptions options = ReadToolbarImageOptions();
      switch (id) {
        case IDC_BARS_LIST:
          if (HIWORD(wParam) == LBN_DBLCLK) CloseFor(dialog, kExitCustomize);
          if (HIWORD(wParam) == LBN_SELCHANGE)
            EnableWindow(GetDlgItem(dialog, IDC_BARS_DELETE), SelectedToolbar(dialog) != kFirstCommandToolbar);
          return TRUE;
        case IDC_BARS_TOOLS:
        case IDC_BARS_FILTER:
        case IDC_BARS_QUICK: {
          uint32_t band = id == IDC_BARS_TOOLS ? IDC_TOOLS_BAND : id == IDC_BARS_FILTER ? IDC_FILTER_BAND : IDC_QUICK_BAND;
          if (BandShown(band) != checked) ToggleBand(band);
          return TRUE;
        }
        case IDC_BARS_TITLES:
          if (((BarFlags() & kBarTitlesShown) != 0) != checked) ToggleBarFlag(kBarTitlesShown);
          return TRUE;
        case IDC_BARS_LOCKED:
          if (((BarFlags() & kBarsLocked) != 0) != checked) ToggleBarFlag(kBarsLocked);
          return TRUE;
        case IDC_BARS_LARGE:
          ChangeImages(dialog, checked, options.colorLevel);
          return TRUE;
        case IDC_BARS_COLOR16:
        case IDC_BARS_COLOR256:
        case IDC_BARS_TRUECOLOR:
          if (checked && options.colorLevel != id - IDC_BARS_COLOR16)
            ChangeImages(dialog, options.large, id - IDC_BARS_COLOR16);
          return TRUE;
        case IDC_BARS_CUSTOMIZE:
          if (SelectedToolbar(dialog)) CloseFor(dialog, kExitCustomize);
          return TRUE;
        case IDC_BARS_NEW:
          CloseFor(dialog, kExitNew);
          return TRUE;
        case IDC_BARS_DELETE:
          DeleteChosen(dialog);
          return TRUE;
        case IDC_BARS_RESET:
          ResetBars();
          ShowState(dialog);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, kExitClose);
          return TRUE;
      }
      break;
    }
  }
  (void)lParam;
  return FALSE;
}
}  // namespace

void ShowBarSettings(HWND owner) {
  if (!gApp.rebar) return;
  gChosenToolbar = 0;
  INT_PTR exit = DialogBoxParamA(ResourceLibrary(), MAKEINTRESOURCEA(IDD_BAR_SETTINGS), owner, BarSettingsProc, 0);
  if (exit == kExitCustomize && gChosenToolbar) CustomizeCommandToolbar(gChosenToolbar);
  if (exit == kExitNew) AddCommandToolbar();
}
