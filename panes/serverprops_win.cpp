// The server pane's properties sheet (page 106): the name of one entry and
// the permissions of the selected entries, turned into permission and
// rename jobs.
#include <windows.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>

#include "app/appstate_win.h"
#include "base/textbuf.h"
#include "panes/permbits.h"
#include "panes/serverframe_win.h"
#include "res/resource.h"

struct PropertiesResult {
  std::string newName;  // empty: unchanged
  std::string mode;     // three octal digits typed or set; empty: none
  int boxes[9];
};

namespace {
struct PageState {
  std::vector<const FileEntry*> selected;
  const char* location;
  PropertiesResult result;
  bool modeTouched = false;
  bool filling = false;
};

bool IsOctalMode(const char* text) {
  return std::strlen(text) == 3 && text[0] >= '0' && text[0] <= '7' && text[1] >= '0' && text[1] <= '7' &&
         text[2] >= '0' && text[2] <= '7';
}

// The mode edit follows the boxes when none of them is indeterminate.
void ModeFromBoxes(HWND page, PageState& state) {
  unsigned bits = 0;
  for (int i = 0; i < 9; ++i) {
    const UINT check = IsDlgButtonChecked(page, IDC_PROP_PERM_FIRST + i);
    if (check == BST_INDETERMINATE) return;
    if (check == BST_CHECKED) bits |= 1u << (8 - i);
  }
  char text[8];
  snprintf(text, sizeof text, "%03o", bits);
  state.filling = true;
  SetDlgItemTextA(page, IDC_PROP_MODE, text);
  state.filling = false;
}

void BoxesFromMode(HWND page, PageState& state, const char* mode) {
  const unsigned bits = static_cast<unsigned>((mode[0] - '0') << 6 | (mode[1] - '0') << 3 | (mode[2] - '0'));
  state.filling = true;
  for (int i = 0; i < 9; ++i)
    CheckDlgButton(page, IDC_PROP_PERM_FIRST + i, (bits >> (8 - i)) & 1 ? BST_CHECKED : BST_UNCHECKED);
  state.filling = false;
}

void InitPage(HWND page, PageState& state) {
  const bool single = state.selected.size() == 1;
  if (single) {
    SetDlgItemTextA(page, IDC_PROP_NAME, state.selected[0]->name);
  } else {
    ShowWindow(GetDlgItem(page, IDC_PROP_NAME), SW_HIDE);
    char format[80] = {}, text[120];
    GetDlgItemTextA(page, IDC_PROP_COUNT, format, sizeof format);
    snprintf(text, sizeof text, format, static_cast<int>(state.selected.size()));
    SetDlgItemTextA(page, IDC_PROP_COUNT, text);
    ShowWindow(GetDlgItem(page, IDC_PROP_COUNT), SW_SHOW);
  }
  SetDlgItemTextA(page, IDC_PROP_LOCATION, state.location);
  uint64_t total = 0;
  for (const FileEntry* e : state.selected) total += static_cast<uint64_t>(e->size);
  char size[64];
  snprintf(size, sizeof size, "%llu bytes", static_cast<unsigned long long>(total));
  SetDlgItemTextA(page, IDC_PROP_SIZE, size);
  // Each box shows the entries' common bit; entries that differ, or whose
  // permissions the listing did not tell, leave it indeterminate.
  state.filling = true;
  for (int i = 0; i < 9; ++i) {
    int seen = -1;
    for (const FileEntry* e : state.selected) {
      const size_t length = FieldLength(e->permissions);
      const int bit = length >= 10 ? (e->permissions[1 + i] != '-' && e->permissions[1 + i] != 'S' &&
                                      e->permissions[1 + i] != 'T')
                                   : 2;
      seen = seen == -1 ? bit : (seen == bit ? seen : 2);
    }
    CheckDlgButton(page, IDC_PROP_PERM_FIRST + i,
                   seen == 1 ? BST_CHECKED : seen == 0 ? BST_UNCHECKED : BST_INDETERMINATE);
  }
  state.filling = false;
  ModeFromBoxes(page, state);
  SendDlgItemMessageA(page, IDC_PROP_MODE, EM_LIMITTEXT, 3, 0);
  SendDlgItemMessageA(page, IDC_PROP_NAME, EM_LIMITTEXT, 259, 0);
}

void Collect(HWND page, PageState& state) {
  if (state.selected.size() == 1) {
    char name[260] = {};
    GetDlgItemTextA(page, IDC_PROP_NAME, name, sizeof name);
    if (name[0] && std::strcmp(name, state.selected[0]->name) != 0) state.result.newName = name;
  }
  char mode[8] = {};
  GetDlgItemTextA(page, IDC_PROP_MODE, mode, sizeof mode);
  state.result.mode = state.modeTouched && IsOctalMode(mode) ? mode : "";
  for (int i = 0; i < 9; ++i) {
    const UINT check = IsDlgButtonChecked(page, IDC_PROP_PERM_FIRST + i);
    state.result.boxes[i] = check == BST_INDETERMINATE ? kBoxLeave : check == BST_CHECKED ? kBoxOn : kBoxOff;
  }
}

INT_PTR CALLBACK PropertiesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<PageState*>(GetWindowLongPtrA(page, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<PageState*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
      SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
      InitPage(page, *state);
      return TRUE;
    case WM_COMMAND: {
      if (!state || state->filling) return FALSE;
      const int id = LOWORD(wParam);
      if (id >= IDC_PROP_PERM_FIRST && id < IDC_PROP_PERM_FIRST + 9 && HIWORD(wParam) == BN_CLICKED) {
        state->modeTouched = true;
        ModeFromBoxes(page, *state);
      } else if (id == IDC_PROP_MODE && HIWORD(wParam) == EN_CHANGE) {
        char mode[8] = {};
        GetDlgItemTextA(page, IDC_PROP_MODE, mode, sizeof mode);
        state->modeTouched = true;
        if (IsOctalMode(mode)) BoxesFromMode(page, *state, mode);
      }
      return FALSE;
    }
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY && state) {
        Collect(page, *state);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
}  // namespace

void ApplyProperties(CServerFrame& pane, const PropertiesResult& result) {
  std::vector<const FileEntry*> selected;
  int entry = -1;
  for (int item = pane.NextSelected(-1, entry); item >= 0; item = pane.NextSelected(item, entry))
    selected.push_back(&pane.entries[static_cast<size_t>(entry)]);
  if (selected.empty()) return;
  std::string renameFrom, renameTo;
  if (!result.newName.empty() && (!pane.FullPath(selected[0]->name, renameFrom) ||
                                  !pane.FullPath(result.newName.c_str(), renameTo)))
    renameFrom.clear(), renameTo.clear();
  if (selected.size() == 1) CopyText(pane.selectAfterListing, renameTo.empty() ? selected[0]->name : result.newName);
  bool anyBox = false;
  for (int box : result.boxes) anyBox = anyBox || box != kBoxLeave;
  if (result.mode.empty() && !anyBox) {
    if (!renameTo.empty()) pane.QueueRenamePairs(new std::vector<std::string>{renameFrom, renameTo}, false);
    return;
  }
  auto* pairs = new std::vector<std::string>();
  for (const FileEntry* e : selected) {
    std::string path;
    if (!pane.FullPath(e->name, path)) continue;
    std::string mode = !result.mode.empty() ? result.mode
                                            : ModeAfterBoxes(std::string_view(e->permissions, FieldLength(e->permissions)),
                                                             result.boxes);
    if (mode.empty()) continue;
    pairs->push_back(path);
    pairs->push_back(mode);
  }
  pane.QueueChmod(pairs, renameFrom, renameTo);
}

void CServerFrame::ShowProperties() {
  PageState state;
  std::string location = current;
  state.location = location.c_str();
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry))
    state.selected.push_back(&entries[static_cast<size_t>(entry)]);
  if (state.selected.empty()) return;
  std::string caption = state.selected[0]->name;
  if (state.selected.size() > 1) caption += ", ...";
  PROPSHEETPAGEA page = {};
  page.dwSize = sizeof page;
  page.hInstance = ResourceLibrary();
  page.pszTemplate = MAKEINTRESOURCEA(IDD_REMOTE_PROPERTIES);
  page.pfnDlgProc = PropertiesPageProc;
  page.lParam = reinterpret_cast<LPARAM>(&state);
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
  header.hwndParent = MainWindow();
  header.hInstance = ResourceLibrary();
  header.pszCaption = caption.c_str();
  header.nPages = 1;
  header.ppsp = &page;
  for (int& box : state.result.boxes) box = kBoxLeave;
  if (PropertySheetA(&header) <= 0) return;
  // The sheet ran modally: the selection may have changed only through
  // this pane, so the entries read above are still the ones to change.
  ApplyProperties(*this, state.result);
}
