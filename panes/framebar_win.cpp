// CFrame's rebar: the pane toolbar (band 262) and the address box (264),
// laid out from "RebarInfoLocal" / "RebarInfoServer".
#include <cstring>

#include "app/appstate_win.h"
#include "base/barlayout.h"
#include "app/bars_win.h"
#include "base/commandbuttons.h"
#include "base/toolbarimages_win.h"
#include "base/libreg_win.h"
#include "panes/frame_win.h"
#include "res/resource.h"

namespace {
// The pane toolbar's buttons (0 = separator); their glyphs are the command
// toolbars' own.
const uint16_t kPaneButtons[] = {CMD_BACK,       CMD_FORWARD, CMD_UP,     CMD_REFRESH,   0,
                                 CMD_NEW_FOLDER, CMD_DELETE,  CMD_RENAME, CMD_PROPERTIES};

BarLayout DefaultPaneLayout() {
  BarLayout layout;
  layout.bands.push_back({kPaneToolbarId, 270, 0});
  layout.bands.push_back({kPaneAddressId, 200, 0});
  return layout;
}

HWND CreatePaneToolbar(HWND rebar) {
  HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                CCS_NODIVIDER | CCS_NOPARENTALIGN,
                            0, 0, 0, 0, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPaneToolbarId)),
                            ProgramInstance(), nullptr);
  if (!tb) return nullptr;
  SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  AttachToolbarImages(tb);
  for (uint16_t command : kPaneButtons) {
    TBBUTTON b = {};
    b.iBitmap = command ? CommandButtonImage(command) : 0;
    b.idCommand = command;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = command ? BTNS_BUTTON : BTNS_SEP;
    SendMessageA(tb, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
  }
  return tb;
}
}  // namespace

void CFrame::CreateBar() {
  rebar = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, "",
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT | RBS_BANDBORDERS |
                              CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP,
                          0, kPaneGap, 100, 30, window, nullptr, ProgramInstance(), nullptr);
  if (!rebar) return;
  BarLayout layout = DefaultPaneLayout();
  std::vector<BYTE> stored;
  HKEY key = OpenCommonKey(kKeyStartupRead);
  if (key && RegReadBlob(key, rebarValue, stored)) DecodeBarLayout(stored.data(), stored.size(), layout);
  if (key) RegCloseKey(key);
  // Each band once, whatever the stored layout repeats or leaves out.
  bool placed[2] = {false, false};
  std::vector<BandLayout> bands;
  for (const BandLayout& band : layout.bands) {
    const int slot = band.id == kPaneToolbarId ? 0 : band.id == kPaneAddressId ? 1 : -1;
    if (slot < 0 || placed[slot]) continue;
    placed[slot] = true;
    bands.push_back(band);
  }
  for (const BandLayout& band : DefaultPaneLayout().bands)
    if (!placed[band.id == kPaneToolbarId ? 0 : 1]) bands.push_back(band);

  const bool locked = (BarFlags() & kBarsLocked) != 0;
  for (const BandLayout& band : bands) {
    HWND child = nullptr;
    if (band.id == kPaneToolbarId) {
      child = toolbar = CreatePaneToolbar(rebar);
    } else {
      child = address = CreateWindowExA(0, WC_COMBOBOXEXA, "",
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_CLIPCHILDREN | CBS_DROPDOWN |
                                            CBS_AUTOHSCROLL,
                                        0, 0, 200, 300, rebar,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPaneAddressId)), ProgramInstance(),
                                        nullptr);
      if (address) {
        SendMessageA(address, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ShellImages().smallIcons));
        SendMessageA(address, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
      }
    }
    if (!child) continue;
    RECT rc = {};
    SIZE ideal = {};
    if (child == toolbar) SendMessageA(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
    else GetWindowRect(child, &rc);
    REBARBANDINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_STYLE | RBBIM_ID | RBBIM_IDEALSIZE;
    info.fStyle = RBBS_CHILDEDGE | ((band.style & kBandNewRow) ? RBBS_BREAK : 0) |
                  (locked ? RBBS_NOGRIPPER : RBBS_GRIPPERALWAYS);
    info.hwndChild = child;
    info.wID = band.id;
    info.cx = static_cast<UINT>(band.width > 0 && band.width < 10000 ? band.width : 100);
    info.cxMinChild = child == toolbar ? 24 : 60;
    info.cyMinChild = child == toolbar ? static_cast<UINT>(ideal.cy > 0 ? ideal.cy : 22) : 22;
    info.cxIdeal = child == toolbar ? static_cast<UINT>(ideal.cx) : 200;
    SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info));
  }
  for (const AddressEntry& entry : addressEntries) {
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    item.pszText = const_cast<char*>(entry.text.c_str());
    item.iImage = item.iSelectedImage = entry.image;
    SendMessageA(address, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  if (addressEntries.empty()) FillAddressDefaults();
  if (address) SendMessageA(address, CB_SETCURSEL, 0, 0);
}

void CFrame::RebuildBar(bool keepLayout) {
  if (!rebar) return;
  if (keepLayout) SaveBarLayout();
  HWND focus = GetFocus();
  if (focus && IsChild(rebar, focus)) SetFocus(list);
  DestroyWindow(rebar);
  rebar = toolbar = address = nullptr;
  CreateBar();
  // The fixed entries (special folders, drives) follow the kept ones, as
  // when the box was first filled.
  if (!addressEntries.empty()) FillAddressDefaults();
  if (address) SendMessageA(address, CB_SETCURSEL, 0, 0);
  Layout();
}

void CFrame::SaveBarLayout() {
  if (!rebar) return;
  BarLayout layout = ReadBarLayout(rebar, BarFlags());
  std::vector<uint8_t> bytes = EncodeBarLayout(layout);
  HKEY key = OpenCommonKey(0);
  if (!key) return;
  RegWriteBinary(key, rebarValue, bytes.data(), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

void CFrame::PutAddressTop(const char* text) {
  if (!address) return;
  const int count = static_cast<int>(SendMessageA(address, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char item[260] = {};
    COMBOBOXEXITEMA get = {};
    get.mask = CBEIF_TEXT | CBEIF_LPARAM;
    get.iItem = i;
    get.pszText = item;
    get.cchTextMax = sizeof item;
    if (SendMessageA(address, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)) && get.lParam == 0 &&
        std::strcmp(item, text) == 0) {
      SendMessageA(address, CBEM_DELETEITEM, static_cast<WPARAM>(i), 0);
      break;
    }
  }
  COMBOBOXEXITEMA item = {};
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
  item.iItem = 0;
  item.pszText = const_cast<char*>(text);
  item.iImage = item.iSelectedImage = ShellImages().folderIcon;
  SendMessageA(address, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageA(address, CB_SETCURSEL, 0, 0);
  // The kept copy follows the box, so a rebuilt bar shows the same items.
  addressEntries.clear();
  const int total = static_cast<int>(SendMessageA(address, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < total; ++i) {
    char buffer[260] = {};
    COMBOBOXEXITEMA get = {};
    get.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_LPARAM;
    get.iItem = i;
    get.pszText = buffer;
    get.cchTextMax = sizeof buffer;
    if (SendMessageA(address, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)) && get.lParam == 0)
      addressEntries.push_back({buffer, get.iImage});
  }
}

void CFrame::SetAddressEnabled(bool enabled) {
  if (!address || (IsWindowEnabled(address) != FALSE) == enabled) return;
  EnableWindow(address, enabled);
  // The box's own children follow, or its edit keeps its old state.
  for (UINT part : {CBEM_GETCOMBOCONTROL, CBEM_GETEDITCONTROL})
    if (HWND child = reinterpret_cast<HWND>(SendMessageA(address, part, 0, 0))) EnableWindow(child, enabled);
  InvalidateRect(address, nullptr, TRUE);
}
