#include "app/filterbox_win.h"

#include <cstring>

#include "app/appstate_win.h"
#include "app/barhistory_win.h"
#include "app/bars_win.h"
#include "base/textbuf.h"
#include "res/resource.h"

namespace {
HWND FilterBox() { return gApp.rebar ? GetDlgItem(gApp.rebar, IDC_FILTER_BAND) : nullptr; }

// Puts `text` on top of the box's list, without a duplicate, and selects it.
void MoveToTop(HWND box, const char* text) {
  int found = static_cast<int>(SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(text)));
  if (found >= 0) SendMessageA(box, CBEM_DELETEITEM, static_cast<WPARAM>(found), 0);
  COMBOBOXEXITEMA item = {};
  item.mask = CBEIF_TEXT;
  item.iItem = 0;
  item.pszText = const_cast<char*>(text);
  SendMessageA(box, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageA(box, CB_SETCURSEL, 0, 0);
}
}  // namespace

void SetPaneFilter(const char* mask) {
  if (std::strcmp(Options().paneFilter, mask) == 0) return;
  CopyText(Options().paneFilter, mask);
  for (HWND pane : {LocalPaneWindow(), ServerPaneWindow()})
    if (pane) SendMessageA(pane, WM_COMMAND, CMD_REFRESH, 0);
}

HWND CreateFilterBox(HWND rebar) {
  HWND box = CreateWindowExA(0, WC_COMBOBOXEXA, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                             0, 0, 150, 200, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FILTER_BAND)),
                             ProgramInstance(), nullptr);
  if (!box) return nullptr;
  SendMessageA(box, CB_LIMITTEXT, sizeof Options().paneFilter - 1, 0);
  FillHistory(box, "Filter%02d");
  if (SendMessageA(box, CB_GETCOUNT, 0, 0) > 0) {
    SendMessageA(box, CB_SETCURSEL, 0, 0);
    char first[260] = {};
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = 0;
    item.pszText = first;
    item.cchTextMax = sizeof first;
    if (SendMessageA(box, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) SetPaneFilter(first);
  }
  return box;
}

void RetireFilterBox(HWND box, bool clearFilter) {
  if (!box) return;
  SaveHistory(box, "Filter%02d");
  if (clearFilter) SetPaneFilter("");
}

bool HandleFilterNotify(const NMHDR* header) {
  if (header->idFrom != IDC_FILTER_BAND || (header->code != CBEN_ENDEDITA && header->code != CBEN_ENDEDITW))
    return false;
  // The box tells in the parent's notify format; both records start alike.
  int why = reinterpret_cast<const NMCBEENDEDITA*>(header)->iWhy;
  char mask[260] = {};
  if (header->code == CBEN_ENDEDITA) {
    CopyText(mask, reinterpret_cast<const NMCBEENDEDITA*>(header)->szText);
  } else {
    const wchar_t* wide = reinterpret_cast<const NMCBEENDEDITW*>(header)->szText;
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, mask, sizeof mask, nullptr, nullptr)) mask[0] = '\0';
  }
  HWND box = header->hwndFrom;
  if (why == CBENF_RETURN) {
    // An empty entry lifts the filter without becoming history.
    if (mask[0]) MoveToTop(box, mask);
    SetPaneFilter(mask);
  } else if (why == CBENF_ESCAPE) {
    if (SendMessageA(box, CB_GETCOUNT, 0, 0) > 0) SendMessageA(box, CB_SETCURSEL, 0, 0);
  }
  return true;
}

void FocusFilterBox(bool dropDown) {
  if (!gApp.rebar) return;
  if (!BandShown(IDC_FILTER_BAND)) ToggleBand(IDC_FILTER_BAND);
  HWND box = FilterBox();
  if (!box) return;
  SetFocus(box);
  if (dropDown) SendMessageA(box, CB_SHOWDROPDOWN, TRUE, 0);
}

void LeaveFilterBox() {
  HWND box = FilterBox();
  if (box && SendMessageA(box, CB_GETDROPPEDSTATE, 0, 0)) {
    SendMessageA(box, CB_SHOWDROPDOWN, FALSE, 0);
    return;
  }
  if (ActivePaneWindow()) SetFocus(ActivePaneWindow());
}
