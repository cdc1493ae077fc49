// The bar area above the panes: a rebar (id 273) whose bands are the main
// command toolbar (512), the external tools bar (274), the filter box (275)
// and the quick-connect bar (276), laid out from "RebarInfoMain".
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "app/bars_win.h"
#include "app/barlayout.h"
#include "app/libreg_win.h"
#include "app/mainframe_win.h"
#include "app/msgbox_win.h"
#include "app/quickconnect_win.h"
#include "app/statusbar_win.h"
#include "app/textbuf.h"
#include "res/resource.h"

namespace {
constexpr int kMainToolbar = 512;

struct ButtonSpec {
  int command;
  int image;
};
// The built-in buttons of the main toolbar (0 = separator).
const ButtonSpec kMainButtons[] = {
    {CMD_CONNECT, 0},        {CMD_DISCONNECT, 1},  {CMD_SITE_MANAGER, 4},  {0, 0},
    {CMD_MODE_AUTO, 5},      {CMD_MODE_ASCII, 11}, {CMD_MODE_BINARY, 17},  {0, 0},
    {CMD_BACK, 14},          {CMD_FORWARD, 15},    {CMD_UP, 2},            {CMD_REFRESH, 6},
    {0, 0},                  {CMD_NEW_FOLDER, 10}, {CMD_DELETE, 7},        {CMD_RENAME, 23},
    {CMD_PROPERTIES, 12},    {0, 0},               {CMD_UPLOAD, 8},        {CMD_DOWNLOAD, 9},
    {CMD_SYNCHRONIZE, 3},
};

uint32_t gBarFlags = kBarTitlesShown;
HWND gQuickBar = nullptr;
bool gQuickExpanded = false;

HWND CreateMainToolbar(HWND rebar) {
  HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                CCS_NODIVIDER | CCS_NOPARENTALIGN,
                            0, 0, 0, 0, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMainToolbar)),
                            gApp.instance, nullptr);
  if (!tb) return nullptr;
  SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(gApp.toolbarImages));
  std::vector<TBBUTTON> buttons;
  for (const ButtonSpec& button : kMainButtons) {
    TBBUTTON b = {};
    b.iBitmap = button.command ? button.image : 8;
    b.idCommand = button.command;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = button.command ? BTNS_BUTTON : BTNS_SEP;
    buttons.push_back(b);
  }
  SendMessageA(tb, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  return tb;
}

HWND CreateToolsBar(HWND rebar) {
  HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                            WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                CCS_NOPARENTALIGN,
                            0, 0, 0, 0, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLS_BAND)),
                            gApp.instance, nullptr);
  if (!tb) return nullptr;
  SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(gApp.toolbarImages));
  for (size_t i = 0; i < gApp.tools.size() && i < 256; ++i) {
    TBBUTTON b = {};
    b.iBitmap = gApp.tools[i].iconSlot >= 0 ? gApp.tools[i].iconSlot + 20 : 18;
    b.idCommand = static_cast<int>(CMD_TOOL_FIRST + i);
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    SendMessageA(tb, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
  }
  return tb;
}

void FillHistory(HWND comboEx, const char* format) {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<std::string> history = ReadNumberedList(key, format, 260);
  if (key) RegCloseKey(key);
  for (const std::string& entry : history) {
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = -1;
    item.pszText = const_cast<char*>(entry.c_str());
    SendMessageA(comboEx, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void SaveHistory(HWND comboEx, const char* format) {
  if (!comboEx) return;
  std::vector<std::string> history;
  int count = static_cast<int>(SendMessageA(comboEx, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count && i < kMaxNumberedEntries; ++i) {
    char text[260] = {};
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (SendMessageA(comboEx, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) && text[0]) history.push_back(text);
  }
  HKEY key = OpenCommonKey(0);
  WriteNumberedList(key, format, history);
  if (key) RegCloseKey(key);
}

HWND CreateFilterBox(HWND rebar) {
  HWND box = CreateWindowExA(0, WC_COMBOBOXEXA, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                             0, 0, 150, 200, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FILTER_BAND)),
                             gApp.instance, nullptr);
  if (box) {
    FillHistory(box, "Filter%02d");
    if (SendMessageA(box, CB_GETCOUNT, 0, 0) > 0) SendMessageA(box, CB_SETCURSEL, 0, 0);
  }
  return box;
}

void ShowQuickExtras(HWND bar, bool show) {
  gQuickExpanded = show;
  for (int id : {IDC_QUICK_USER_LABEL, IDC_QUICK_USER, IDC_QUICK_PASSWORD_LABEL, IDC_QUICK_PASSWORD})
    ShowWindow(GetDlgItem(bar, id), show ? SW_SHOW : SW_HIDE);
  SetDlgItemTextA(bar, IDC_QUICK_MORE, show ? "<" : ">");
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
      ShowQuickExtras(bar, false);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_QUICK_CONNECT:
          OnQuickConnect(bar);
          return TRUE;
        case IDC_QUICK_MORE:
          ShowQuickExtras(bar, !gQuickExpanded);
          if (!gQuickExpanded) SetDlgItemTextA(bar, IDC_QUICK_PASSWORD, "");
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void SaveQuickBar() {
  if (!gQuickBar) return;
  SaveHistory(GetDlgItem(gQuickBar, IDC_QUICK_ADDRESS), "QuickUrl%02d");
  HKEY key = OpenCommonKey(0);
  RegWriteInt(key, "QuickSFTP", IsDlgButtonChecked(gQuickBar, IDC_QUICK_SFTP) == BST_CHECKED);
  RegWriteInt(key, "QuickPassive", IsDlgButtonChecked(gQuickBar, IDC_QUICK_PASSIVE) == BST_CHECKED);
  if (key) RegCloseKey(key);
}

HWND CreateBandChild(HWND rebar, uint32_t id) {
  switch (id) {
    case kMainToolbar: return CreateMainToolbar(rebar);
    case IDC_TOOLS_BAND: return CreateToolsBar(rebar);
    case IDC_FILTER_BAND: return CreateFilterBox(rebar);
    case IDC_QUICK_BAND:
      gQuickBar = CreateDialogParamA(gApp.resources, MAKEINTRESOURCEA(IDD_QUICK_CONNECT), rebar, QuickBarProc, 0);
      if (gQuickBar) SetWindowLongPtrA(gQuickBar, GWLP_ID, IDC_QUICK_BAND);
      return gQuickBar;
  }
  return nullptr;
}

UINT BandTitle(uint32_t id) {
  switch (id) {
    case IDC_TOOLS_BAND: return IDS_BAND_TOOLS;
    case IDC_FILTER_BAND: return IDS_BAND_FILTER;
    case IDC_QUICK_BAND: return IDS_BAND_QUICK;
  }
  return 0;
}

bool InsertBand(HWND rebar, const BandLayout& layout) {
  HWND child = CreateBandChild(rebar, layout.id);
  if (!child) return false;
  RECT rc;
  GetWindowRect(child, &rc);
  if (layout.id == kMainToolbar || layout.id == IDC_TOOLS_BAND) {
    SIZE size = {};
    SendMessageA(child, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    rc.bottom = rc.top + (size.cy > 0 ? size.cy : 22);
    rc.right = rc.left + size.cx;
  }
  if (layout.id == IDC_FILTER_BAND) rc.bottom = rc.top + 22;
  std::string title = (gBarFlags & kBarTitlesShown) && BandTitle(layout.id) ? LoadResString(BandTitle(layout.id)) : "";
  REBARBANDINFOA band = {};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | RBBIM_STYLE | RBBIM_TEXT;
  band.fStyle = RBBS_CHILDEDGE | ((layout.style & kBandNewRow) ? RBBS_BREAK : 0) |
                ((gBarFlags & kBarsLocked) ? RBBS_NOGRIPPER : RBBS_GRIPPERALWAYS) |
                (layout.id != IDC_QUICK_BAND ? RBBS_USECHEVRON : 0);
  band.lpText = title.data();
  band.hwndChild = child;
  band.cxMinChild = layout.id == IDC_QUICK_BAND ? 150 : 24;
  band.cyMinChild = rc.bottom - rc.top;
  band.cx = layout.width;
  band.wID = layout.id;
  if (layout.id == kMainToolbar || layout.id == IDC_TOOLS_BAND) band.cxIdeal = rc.right - rc.left, band.fMask |= RBBIM_IDEALSIZE;
  SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
  return true;
}

BarLayout CurrentLayout(HWND rebar) {
  BarLayout layout;
  layout.flags = gBarFlags;
  int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_ID | RBBIM_SIZE | RBBIM_STYLE;
    SendMessageA(rebar, RB_GETBANDINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band));
    layout.bands.push_back({band.wID, static_cast<int32_t>(band.cx), (band.fStyle & RBBS_BREAK) ? kBandNewRow : 0u});
  }
  return layout;
}

int BandIndex(HWND rebar, uint32_t id) {
  return static_cast<int>(SendMessageA(rebar, RB_IDTOINDEX, id, 0));
}
}  // namespace

void SaveBarLayout() {
  if (!gApp.rebar) return;
  std::vector<uint8_t> bytes = EncodeBarLayout(CurrentLayout(gApp.rebar));
  HKEY key = OpenCommonKey(0);
  RegWriteBinary(key, "RebarInfoMain", bytes.data(), static_cast<DWORD>(bytes.size()));
  RegWriteInt(key, "QuickExpanded", gQuickExpanded);
  if (key) RegCloseKey(key);
}

void CreateBars(HWND parent) {
  if (gApp.rebar) return;
  gApp.rebar = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, "",
                               WS_CHILD | WS_BORDER | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                   RBS_BANDBORDERS | RBS_DBLCLKTOGGLE | CCS_NODIVIDER,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_REBAR)),
                               gApp.instance, nullptr);
  if (!gApp.rebar) return;
  BarLayout layout = DefaultMainBarLayout();
  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<BYTE> stored;
  if (key && RegReadBlob(key, "RebarInfoMain", stored)) DecodeBarLayout(stored.data(), stored.size(), layout);
  bool expanded = RegReadInt(key, "QuickExpanded", 0) != 0;
  if (key) RegCloseKey(key);
  gBarFlags = layout.flags & (kBarTitlesShown | kBarsLocked);
  for (const BandLayout& band : layout.bands)
    if (BandIndex(gApp.rebar, band.id) < 0 && !InsertBand(gApp.rebar, band)) break;
  if (gQuickBar && expanded) ShowQuickExtras(gQuickBar, true);
  gApp.barsShown = true;
  ShowWindow(gApp.rebar, SW_SHOW);
}

void DestroyBars() {
  if (gApp.rebar) {
    SaveBarLayout();
    SaveQuickBar();
    SaveHistory(GetDlgItem(gApp.rebar, IDC_FILTER_BAND), "Filter%02d");
    DestroyWindow(gApp.rebar);
  }
  gApp.rebar = nullptr;
  gQuickBar = nullptr;
  gApp.barsShown = false;
}

void RebuildBars() {
  if (!gApp.mainWindow || !gApp.rebar) return;
  DestroyBars();
  CreateBars(gApp.mainWindow);
  LayoutMainWindow();
}

void ToggleBand(uint32_t id) {
  HWND rebar = gApp.rebar;
  if (!rebar) return;
  int index = BandIndex(rebar, id);
  if (index >= 0) {
    if (id == IDC_QUICK_BAND) SaveQuickBar();
    if (id == IDC_FILTER_BAND) SaveHistory(GetDlgItem(rebar, IDC_FILTER_BAND), "Filter%02d");
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD;
    SendMessageA(rebar, RB_GETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&band));
    SendMessageA(rebar, RB_DELETEBAND, static_cast<WPARAM>(index), 0);
    if (band.hwndChild) {
      if (GetFocus() && (GetFocus() == band.hwndChild || IsChild(band.hwndChild, GetFocus())))
        SetFocus(gApp.mainWindow);
      DestroyWindow(band.hwndChild);
    }
    if (id == IDC_QUICK_BAND) gQuickBar = nullptr;
  } else {
    int width = id == IDC_TOOLS_BAND ? 56 : id == IDC_FILTER_BAND ? 150 : 330;
    InsertBand(rebar, {id, width, kBandNewRow});
  }
  SaveBarLayout();
  LayoutMainWindow();
}

bool BandShown(uint32_t id) { return gApp.rebar && BandIndex(gApp.rebar, id) >= 0; }

void FocusQuickConnect() {
  if (!gApp.rebar) return;
  if (!BandShown(IDC_QUICK_BAND)) ToggleBand(IDC_QUICK_BAND);
  if (gQuickBar) SetFocus(GetDlgItem(gQuickBar, IDC_QUICK_ADDRESS));
}

HWND QuickConnectBar() { return gQuickBar; }

void ShowQuickConnect(const char* address) {
  if (!address || !*address) return;
  if (gApp.rebar && !BandShown(IDC_QUICK_BAND)) ToggleBand(IDC_QUICK_BAND);
  if (gQuickBar) {
    // The address goes on top of the box and connects with passive off.
    SetDlgItemTextA(gQuickBar, IDC_QUICK_ADDRESS, address);
    CheckDlgButton(gQuickBar, IDC_QUICK_PASSIVE, BST_UNCHECKED);
    OnQuickConnect(gQuickBar);
    return;
  }
  QuickConnectFields fields = {};
  QuickConnectWithFields(address, fields);
  SecureZeroMemory(&fields, sizeof fields);
}

void ToggleBarFlag(uint32_t flag) {
  HWND rebar = gApp.rebar;
  if (!rebar) return;
  gBarFlags ^= flag;
  // Every band is inserted again with the new title and gripper settings.
  int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_ID | RBBIM_STYLE | RBBIM_TEXT;
    SendMessageA(rebar, RB_GETBANDINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band));
    std::string text = (gBarFlags & kBarTitlesShown) && BandTitle(band.wID) ? LoadResString(BandTitle(band.wID)) : "";
    band.fMask = RBBIM_STYLE | RBBIM_TEXT;
    band.fStyle = (band.fStyle & ~(RBBS_NOGRIPPER | RBBS_GRIPPERALWAYS)) |
                  ((gBarFlags & kBarsLocked) ? RBBS_NOGRIPPER : RBBS_GRIPPERALWAYS);
    band.lpText = text.data();
    SendMessageA(rebar, RB_SETBANDINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band));
  }
  SaveBarLayout();
  LayoutMainWindow();
}

uint32_t BarFlags() { return gBarFlags; }
