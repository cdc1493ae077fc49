// The bar area above the panes: a rebar (id 273) whose bands are the main
// command toolbar (512), the external tools bar (274), the filter box (275)
// and the quick-connect bar (276), laid out from "RebarInfoMain".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "app/bars_win.h"
#include "base/barlayout.h"
#include "app/commandbars_win.h"
#include "base/commandbuttons.h"
#include "base/libreg_win.h"
#include "app/mainframe_win.h"
#include "base/msgbox_win.h"
#include "app/filterbox_win.h"
#include "app/quickbar_win.h"
#include "app/quickconnect_win.h"
#include "app/statusbar_win.h"
#include "base/textbuf.h"
#include "base/toolbarimages_win.h"
#include "panes/panes_win.h"
#include "res/resource.h"

namespace {
uint32_t gBarFlags = kBarTitlesShown;

HWND CreateToolsBar(HWND rebar) {
  HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                            WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                CCS_NOPARENTALIGN,
                            0, 0, 0, 0, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLS_BAND)),
                            ProgramInstance(), nullptr);
  if (!tb) return nullptr;
  SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  AttachToolbarImages(tb);
  for (size_t i = 0; i < gApp.tools.size() && i < 256; ++i) {
    TBBUTTON b = {};
    b.iBitmap = gApp.tools[i].iconSlot >= 0 ? kFirstToolImage + gApp.tools[i].iconSlot : kToolImageWithoutIcon;
    b.idCommand = static_cast<int>(CMD_TOOL_FIRST + i);
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    SendMessageA(tb, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
  }
  return tb;
}

HWND CreateBandChild(HWND rebar, uint32_t id) {
  if (IsCommandToolbarId(id)) return CreateCommandToolbar(rebar, id);
  switch (id) {
    case IDC_TOOLS_BAND: return CreateToolsBar(rebar);
    case IDC_FILTER_BAND: return CreateFilterBox(rebar);
    case IDC_QUICK_BAND: return CreateQuickBar(rebar);
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
  bool toolbar = IsCommandToolbarId(layout.id) || layout.id == IDC_TOOLS_BAND;
  if (toolbar) {
    SIZE size = {};
    SendMessageA(child, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    // An empty toolbar still gets the height of its buttons.
    int buttonHeight = HIWORD(SendMessageA(child, TB_GETBUTTONSIZE, 0, 0));
    rc.bottom = rc.top + (size.cy > 0 ? size.cy : buttonHeight > 0 ? buttonHeight : 22);
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
  // The quick-connect band never hides its address box, check boxes and
  // buttons.
  // The filter box keeps room to type a mask.
  band.cxMinChild = layout.id == IDC_QUICK_BAND    ? std::max(150, QuickBarContentWidth())
                    : layout.id == IDC_FILTER_BAND ? 80
                                                   : 24;
  band.cyMinChild = rc.bottom - rc.top;
  band.cx = layout.width;
  band.wID = layout.id;
  if (toolbar) band.cxIdeal = rc.right - rc.left, band.fMask |= RBBIM_IDEALSIZE;
  SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
  return true;
}

BarLayout CurrentLayout(HWND rebar) { return ReadBarLayout(rebar, gBarFlags); }

int BandIndex(HWND rebar, uint32_t id) {
  return static_cast<int>(SendMessageA(rebar, RB_IDTOINDEX, id, 0));
}

// Takes band `index` out and destroys its child, giving the focus back to
// the main window when the child held it.
void RemoveBandAt(HWND rebar, int index) {
  REBARBANDINFOA band = {};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD | RBBIM_ID;
  SendMessageA(rebar, RB_GETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&band));
  if (band.wID == IDC_QUICK_BAND) SaveQuickBar();
  if (band.wID == IDC_FILTER_BAND) RetireFilterBox(band.hwndChild, true);
  SendMessageA(rebar, RB_DELETEBAND, static_cast<WPARAM>(index), 0);
  if (band.hwndChild) {
    HWND focus = GetFocus();
    if (focus && (focus == band.hwndChild || IsChild(band.hwndChild, focus))) SetFocus(MainWindow());
    DestroyWindow(band.hwndChild);
  }
  if (band.wID == IDC_QUICK_BAND) ForgetQuickBar();
}

std::vector<uint32_t> ShownCommandToolbars() {
  std::vector<uint32_t> ids;
  if (!gApp.rebar) return ids;
  for (const BandLayout& band : CurrentLayout(gApp.rebar).bands)
    if (IsCommandToolbarId(band.id)) ids.push_back(band.id);
  return ids;
}

HWND BandChild(uint32_t id) {
  int index = gApp.rebar ? BandIndex(gApp.rebar, id) : -1;
  if (index < 0) return nullptr;
  REBARBANDINFOA band = {};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD;
  SendMessageA(gApp.rebar, RB_GETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&band));
  return band.hwndChild;
}
}  // namespace

void SaveBarLayout() {
  if (!gApp.rebar) return;
  std::vector<uint8_t> bytes = EncodeBarLayout(CurrentLayout(gApp.rebar));
  HKEY key = OpenCommonKey(0);
  RegWriteBinary(key, "RebarInfoMain", bytes.data(), static_cast<DWORD>(bytes.size()));
  RegWriteInt(key, "QuickExpanded", QuickBarExpanded());
  if (key) RegCloseKey(key);
}

void CreateBars(HWND parent) {
  if (gApp.rebar) return;
  gApp.rebar = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, "",
                               WS_CHILD | WS_BORDER | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                   RBS_BANDBORDERS | RBS_DBLCLKTOGGLE | CCS_NODIVIDER,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_REBAR)),
                               ProgramInstance(), nullptr);
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
  if (expanded) ShowQuickExtras(true);
  gApp.barsShown = true;
  UpdateToolbarButtons(gApp.rebar);
  ShowWindow(gApp.rebar, SW_SHOW);
}

void DestroyBars() {
  if (gApp.rebar) {
    SaveBarLayout();
    SaveQuickBar();
    RetireFilterBox(GetDlgItem(gApp.rebar, IDC_FILTER_BAND), false);
    DestroyWindow(gApp.rebar);
  }
  gApp.rebar = nullptr;
  ForgetQuickBar();
  gApp.barsShown = false;
}

void RebuildBars() {
  if (!MainWindow() || !gApp.rebar) return;
  DestroyBars();
  CreateBars(MainWindow());
  LayoutMainWindow();
}

void ToggleBand(uint32_t id) {
  HWND rebar = gApp.rebar;
  if (!rebar) return;
  int index = BandIndex(rebar, id);
  if (index >= 0) {
    RemoveBandAt(rebar, index);
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
  if (QuickConnectBar()) SetFocus(GetDlgItem(QuickConnectBar(), IDC_QUICK_ADDRESS));
}

void ShowQuickConnect(const char* address) {
  if (!address || !*address) return;
  if (gApp.rebar && !BandShown(IDC_QUICK_BAND)) ToggleBand(IDC_QUICK_BAND);
  if (HWND bar = QuickConnectBar()) {
    // The address goes on top of the box and connects with passive off.
    SetDlgItemTextA(bar, IDC_QUICK_ADDRESS, address);
    CheckDlgButton(bar, IDC_QUICK_PASSIVE, BST_UNCHECKED);
    ConnectFromQuickBar();
    return;
  }
  QuickConnectFields fields = {};
  QuickConnectWithFields(address, fields);
  SecureZeroMemory(&fields, sizeof fields);
}

void ReloadToolbarImages() {
  // Every toolbar holds the lists: the bars are rebuilt around new ones.
  bool shown = gApp.rebar != nullptr;
  if (shown) DestroyBars();
  ToolbarImageOptions options = ReadToolbarImageOptions();
  if (!CreateToolbarImages(options, gApp.tools)) CreateToolbarImages({false, 2}, gApp.tools);
  RebuildPaneBars();
  if (shown && MainWindow()) CreateBars(MainWindow());
  LayoutMainWindow();
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
  RebuildPaneBars();
  LayoutMainWindow();
}

uint32_t BarFlags() { return gBarFlags; }

std::vector<uint32_t> CommandToolbarIds() { return ShownCommandToolbars(); }

uint32_t AddCommandToolbar() {
  if (!gApp.rebar) return 0;
  std::vector<uint32_t> shown = ShownCommandToolbars();
  uint32_t id = kFirstCommandToolbar;
  while (id <= kLastCommandToolbar && std::find(shown.begin(), shown.end(), id) != shown.end()) ++id;
  if (id > kLastCommandToolbar) return 0;
  // A new toolbar starts empty, whatever an old layout under its number held.
  HKEY key = OpenCommonKey(0);
  char name[16];
  snprintf(name, sizeof name, "PIB%u", static_cast<unsigned>(id - kFirstCommandToolbar));
  if (key) RegDeleteValueA(key, name), RegCloseKey(key);
  if (!InsertBand(gApp.rebar, {id, 250, kBandNewRow})) return 0;
  if (HWND toolbar = BandChild(id)) SaveToolbarButtons(toolbar);
  SaveBarLayout();
  LayoutMainWindow();
  return id;
}

bool RemoveCommandToolbar(uint32_t id) {
  if (!gApp.rebar || id == kFirstCommandToolbar || !IsCommandToolbarId(id)) return false;
  int index = BandIndex(gApp.rebar, id);
  if (index < 0) return false;
  std::vector<uint32_t> shown = ShownCommandToolbars();
  uint32_t highest = *std::max_element(shown.begin(), shown.end());
  RemoveBandAt(gApp.rebar, index);
  // The toolbars above move down one number: windows, bands and layouts.
  std::sort(shown.begin(), shown.end());
  for (uint32_t old : shown) {
    if (old <= id) continue;
    uint32_t renumbered = ToolbarIdAfterRemoval(old, id);
    int at = BandIndex(gApp.rebar, old);
    if (at < 0) continue;
    HWND child = BandChild(old);
    if (child) SetWindowLongPtrA(child, GWLP_ID, static_cast<LONG_PTR>(renumbered));
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_ID;
    band.wID = renumbered;
    SendMessageA(gApp.rebar, RB_SETBANDINFOA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&band));
  }
  RenumberStoredToolbars(id, highest);
  SaveBarLayout();
  LayoutMainWindow();
  return true;
}

void CustomizeCommandToolbar(uint32_t id) {
  if (HWND toolbar = BandChild(id)) SendMessageA(toolbar, TB_CUSTOMIZE, 0, 0);
}

void ResetBars() {
  bool shown = gApp.rebar != nullptr;
  if (shown) DestroyBars();
  gBarFlags &= ~kBarsLocked;
  WriteToolbarImageOptions({true, DisplayColorLevel()});
  ReloadToolbarImages();
  HKEY key = OpenCommonKey(0);
  if (key) {
    for (const char* name : {"RebarSize", "RebarInfoMain", "RebarInfoLocal", "RebarInfoServer", "QuickExpanded"})
      RegDeleteValueA(key, name);
    RegCloseKey(key);
  }
  DeleteStoredToolbars();
  RebuildPaneBars(false);
  if (shown && MainWindow()) CreateBars(MainWindow());
  LayoutMainWindow();
}

void RefreshCommandStates() { UpdateToolbarButtons(gApp.rebar); }

void ShowChevronMenu(const NMREBARCHEVRON* chevron) {
  HWND rebar = chevron->hdr.hwndFrom;
  REBARBANDINFOA band = {};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILD;
  if (!SendMessageA(rebar, RB_GETBANDINFOA, chevron->uBand, reinterpret_cast<LPARAM>(&band)) || !band.hwndChild)
    return;
  HWND toolbar = band.hwndChild;
  char cls[32];
  if (!GetClassNameA(toolbar, cls, sizeof cls) || lstrcmpiA(cls, TOOLBARCLASSNAMEA) != 0) return;
  // A button is hidden when it does not end inside the part of the toolbar
  // that the band shows.
  RECT shown;
  GetClientRect(toolbar, &shown);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button = {};
    RECT rc;
    if (!SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)) ||
        (button.fsStyle & BTNS_SEP) || (button.fsState & TBSTATE_HIDDEN) ||
        !SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc)) ||
        rc.right <= shown.right)
      continue;
    char text[80];
    ToolbarTipText(static_cast<UINT>(button.idCommand), text, sizeof text);
    UINT flags = MF_STRING | ((button.fsState & TBSTATE_ENABLED) ? 0 : MF_GRAYED) |
                 ((button.fsState & TBSTATE_CHECKED) ? MF_CHECKED : 0);
    AppendMenuA(menu, flags, static_cast<UINT_PTR>(button.idCommand), text[0] ? text : "?");
  }
  POINT at = {chevron->rc.left, chevron->rc.bottom};
  MapWindowPoints(rebar, nullptr, &at, 1);
  int chosen = GetMenuItemCount(menu) > 0
                   ? TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y,
                                    0, MainWindow(), nullptr)
                   : 0;
  DestroyMenu(menu);
  if (chosen) SendMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(chosen, 0), reinterpret_cast<LPARAM>(toolbar));
}

void FitQuickBand() {
  HWND rebar = gApp.rebar;
  int index = rebar ? BandIndex(rebar, IDC_QUICK_BAND) : -1;
  int content = QuickBarContentWidth();
  if (index < 0 || content <= 0) return;
  RECT borders = {};
  SendMessageA(rebar, RB_GETBANDBORDERS, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&borders));
  REBARBANDINFOA band = {};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE;
  SendMessageA(rebar, RB_GETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&band));
  band.cxMinChild = static_cast<UINT>(std::max(150, content));
  const UINT needed = band.cxMinChild + static_cast<UINT>(borders.left + borders.right);
  if (band.cx < needed) band.cx = needed;
  SendMessageA(rebar, RB_SETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&band));
  SaveBarLayout();
  LayoutMainWindow();
}
