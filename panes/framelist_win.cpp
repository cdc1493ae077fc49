// CFrame's list view: columns from the stored layout, the three views,
// sorting, display texts and icons, info tips and the column dialog.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "base/program_win.h"
#include "base/shellimages_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "profiles/current_win.h"
#include "panes/frame_win.h"
#include "panes/panes_win.h"
#include "res/resource.h"

namespace {
constexpr UINT kOverlayShare = 1, kOverlayLink = 2, kOverlaySlow = 3;

std::string SizeText(const FileEntry& e) {
  if (IsDirectoryEntry(e)) return "";
  char text[64] = {};
  // The shell's formatter takes a signed count; a size above 2^63 (odd
  // servers) is shown at its largest instead of as a negative number.
  const uint64_t size = static_cast<uint64_t>(e.size);
  StrFormatKBSizeA(size > 0x7FFFFFFFFFFFFFFFull ? 0x7FFFFFFFFFFFFFFFll : static_cast<LONGLONG>(size), text,
                   sizeof text);
  return text;
}

std::string TimeText(uint64_t modified) {
  if (modified == 0) return "";
  FILETIME utc = {static_cast<DWORD>(modified), static_cast<DWORD>(modified >> 32)}, local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return "";
  char date[80] = {}, time[80] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, sizeof time);
  return std::string(date) + " " + time;
}

DWORD ViewBits(int style) {
  if (style == kViewDetails) return LVS_REPORT;
  if (style == kViewList) return LVS_LIST;
  return LVS_ICON;
}
}  // namespace

const std::string& CFrame::TypeText(size_t entry) {
  if (typeTexts_.size() != entries.size()) {
    typeTexts_.assign(entries.size(), std::string());
    typeKnown_.assign(entries.size(), 0);
  }
  if (!typeKnown_[entry]) {
    const FileEntry& e = entries[entry];
    SHFILEINFOA info = {};
    SHGetFileInfoA(e.name, IsDirectoryEntry(e) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    typeTexts_[entry] = info.szTypeName[0] ? info.szTypeName : LoadResString(IDS_PANE_NO_TYPE);
    typeKnown_[entry] = 1;
  }
  return typeTexts_[entry];
}

std::string CellText(CFrame& frame, size_t entry, int column) {
  const FileEntry& e = frame.entries[entry];
  switch (column) {
    case kColumnName: return e.name;
    case kColumnSize: return SizeText(e);
    case kColumnType: return frame.TypeText(entry);
    case kColumnTime: return TimeText(e.modified);
    case kColumnPermissions: return std::string(e.permissions, FieldLength(e.permissions));
    case kColumnOwner: return std::string(e.owner, FieldLength(e.owner));
  }
  return "";
}

void CFrame::SaveListInfo() {
  if (viewStyle != kViewDetails || !list) return;
  ListInfo info = DefaultListInfo();
  for (int id = 0; id < kColumnCount; ++id) info.widths[id] = kHiddenColumn;
  for (size_t i = 0; i < visibleColumns.size(); ++i)
    info.widths[visibleColumns[i]] = static_cast<int32_t>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
  info.sortKey = sortKey;
  std::vector<uint8_t> bytes = EncodeListInfo(info);
  HKEY key = OpenCommonKey(0);
  if (!key) return;
  RegWriteBinary(key, listValue, bytes.data(), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

void CFrame::BuildColumns() {
  while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
  }
  visibleColumns.clear();
  ListInfo info = DefaultListInfo();
  std::vector<BYTE> stored;
  HKEY key = OpenCommonKey(kKeyStartupRead);
  if (key && RegReadBlob(key, listValue, stored)) DecodeListInfo(stored.data(), stored.size(), info);
  if (key) RegCloseKey(key);
  sortKey = info.sortKey;
  if (viewStyle == kViewDetails) {
    int offered = 0;
    while (offered < kColumnCount && columnOffered[offered]) ++offered;
    for (int id : VisibleColumns(info, offered)) {
      std::string title = LoadResString(kColumnSpecs[id].titleId);
      LVCOLUMNA column = {};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      column.fmt = kColumnSpecs[id].rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
      column.cx = info.widths[id] == kHiddenColumn ? kColumnSpecs[id].width : ClampColumnWidth(info.widths[id]);
      column.pszText = title.data();
      SendMessageA(list, LVM_INSERTCOLUMNA, visibleColumns.size(), reinterpret_cast<LPARAM>(&column));
      visibleColumns.push_back(id);
    }
  }
  SortList();
}

void CFrame::SetHeaderArrows() {
  HWND header = ListView_GetHeader(list);
  if (!header) return;
  const SortKeyParts key = SplitSortKey(sortKey);
  for (size_t i = 0; i < visibleColumns.size(); ++i) {
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    item.fmt = HDF_STRING | (kColumnSpecs[visibleColumns[i]].rightAligned ? HDF_RIGHT : HDF_LEFT);
    if (visibleColumns[i] == key.column) item.fmt |= key.descending ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageA(header, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
}

void CFrame::ToggleColumn(int id) {
  if (id == kColumnName || viewStyle != kViewDetails) return;
  for (size_t i = 0; i < visibleColumns.size(); ++i) {
    if (visibleColumns[i] != id) continue;
    SendMessageA(list, LVM_DELETECOLUMN, i, 0);
    visibleColumns.erase(visibleColumns.begin() + static_cast<std::ptrdiff_t>(i));
    return;
  }
  const size_t at = ColumnInsertPosition(visibleColumns, id);
  std::string title = LoadResString(kColumnSpecs[id].titleId);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = kColumnSpecs[id].rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
  column.cx = kColumnSpecs[id].width;
  column.pszText = title.data();
  SendMessageA(list, LVM_INSERTCOLUMNA, at, reinterpret_cast<LPARAM>(&column));
  visibleColumns.insert(visibleColumns.begin() + static_cast<std::ptrdiff_t>(at), id);
  SetHeaderArrows();
}

void CFrame::ChangeView(int style) {
  if (!list || style == viewStyle) return;
  SaveListInfo();
  viewStyle = style;
  SetWindowLongPtrA(list, GWL_STYLE,
                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LVS_SHOWSELALWAYS |
                        LVS_SHAREIMAGELISTS | LVS_EDITLABELS | ViewBits(style));
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, style == kViewDetails ? 0 : LVS_EX_INFOTIP);
  // Icons come in the size of the view: forget the cached indexes.
  for (FileEntry& e : entries) e.viewSlot[1] = kNoViewSlot;
  BuildColumns();
  Refresh(0, nullptr);
  UpdateToolbar();
}

int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM context) {
  auto* frame = reinterpret_cast<CFrame*>(context);
  const size_t count = frame->entries.size();
  if (a < 0 || b < 0 || static_cast<size_t>(a) >= count || static_cast<size_t>(b) >= count) return 0;
  const FileEntry& x = frame->entries[static_cast<size_t>(a)];
  const FileEntry& y = frame->entries[static_cast<size_t>(b)];
  const char* typeX = nullptr;
  const char* typeY = nullptr;
  if (SplitSortKey(frame->sortKey).column == kColumnType) {
    typeX = frame->TypeText(static_cast<size_t>(a)).c_str();
    typeY = frame->TypeText(static_cast<size_t>(b)).c_str();
  }
  // The sort key picks the column; names use the pane's own rule.
  const bool folderX = IsDirectoryEntry(x), folderY = IsDirectoryEntry(y);
  if (folderX == folderY && SplitSortKey(frame->sortKey).column == kColumnName) {
    int order = frame->nameKeys_.size() == count
                    ? frame->nameKeys_[static_cast<size_t>(a)].compare(frame->nameKeys_[static_cast<size_t>(b)])
                    : frame->CompareNames(x.name, y.name);
    order = (order > 0) - (order < 0);
    return SplitSortKey(frame->sortKey).descending ? -order : order;
  }
  return CompareEntries(x, y, frame->sortKey, nullptr, typeX, typeY);
}

void CFrame::SortList() {
  if (!list) return;
  nameKeys_.clear();
  if (SplitSortKey(sortKey).column == kColumnName && entries.size() > 64) {
    // The keys order names as the pane's own rule does: case-insensitive
    // locally, and on the server as the profile says.
    const DWORD flags = LCMAP_SORTKEY | (!remote || gCurrent.record.namesIgnoreCase ? NORM_IGNORECASE : 0);
    nameKeys_.reserve(entries.size());
    for (const FileEntry& e : entries) {
      char key[1024];
      const int n = LCMapStringA(LOCALE_USER_DEFAULT, flags, e.name, -1, key, sizeof key);
      if (n <= 0) {
        nameKeys_.clear();
        break;
      }
      nameKeys_.emplace_back(key, static_cast<size_t>(n));
    }
  }
  SendMessageA(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(CompareItems));
  nameKeys_.clear();
  SetHeaderArrows();
}

void CFrame::SortBy(int column) {
  if (column < 0 || column >= kColumnCount) return;
  sortKey = NextSortKey(sortKey, column);
  SortList();
}

void CFrame::ClearList() {
  if (list) SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  entries.clear();
  typeTexts_.clear();
  typeKnown_.clear();
}

int CFrame::AppendItem(const FileEntry& entry) {
  (void)entry;
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = INT_MAX;
  item.pszText = LPSTR_TEXTCALLBACKA;
  item.iImage = I_IMAGECALLBACK;
  item.lParam = static_cast<LPARAM>(entries.size() - 1);
  return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void CFrame::ShowEntries(std::vector<FileEntry>&& fresh) {
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ClearList();
  entries = std::move(fresh);
  SendMessageA(list, LVM_SETITEMCOUNT, entries.size(), 0);
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.pszText = LPSTR_TEXTCALLBACKA;
  item.iImage = I_IMAGECALLBACK;
  for (size_t i = 0; i < entries.size(); ++i) {
    item.iItem = static_cast<int>(i);
    item.lParam = static_cast<LPARAM>(i);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  SortList();
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void CFrame::OnGetDispInfo(NMLVDISPINFOA* info) {
  LVITEMA& item = info->item;
  if (item.lParam < 0 || static_cast<size_t>(item.lParam) >= entries.size()) return;
  const size_t index = static_cast<size_t>(item.lParam);
  FileEntry& e = entries[index];
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    int column = kColumnName;
    if (viewStyle == kViewDetails && item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < visibleColumns.size())
      column = visibleColumns[static_cast<size_t>(item.iSubItem)];
    lstrcpynA(item.pszText, CellText(*this, index, column).c_str(), item.cchTextMax);
  }
  if ((item.mask & (LVIF_IMAGE | LVIF_STATE)) && (e.viewSlot[0] == kNoViewSlot || e.viewSlot[1] == kNoViewSlot)) {
    SHFILEINFOA shell = {};
    UINT overlay = 0;
    bool ghost = e.cutMark != 0;
    int icon = -1;
    const UINT size = viewStyle == kViewLargeIcons ? 0 : SHGFI_SMALLICON;
    if (remote) {
      if (SHGetFileInfoA(e.name, IsDirectoryEntry(e) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &shell,
                         sizeof shell, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | size))
        icon = shell.iIcon;
      if (IsSymlinkEntry(e)) overlay = kOverlayLink;
      ghost = ghost || e.name[0] == '.';
    } else {
      shell.dwAttributes = SFGAO_LINK | SFGAO_SHARE | SFGAO_ISSLOW | SFGAO_HIDDEN;
      if (SHGetFileInfoA(e.name, 0, &shell, sizeof shell,
                         SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED | size)) {
        icon = shell.iIcon;
        if (shell.dwAttributes & SFGAO_LINK) overlay = kOverlayLink;
        else if (shell.dwAttributes & SFGAO_SHARE) overlay = kOverlayShare;
        else if (shell.dwAttributes & SFGAO_ISSLOW) overlay = kOverlaySlow;
        ghost = ghost || (shell.dwAttributes & SFGAO_HIDDEN);
      }
    }
    if (icon < 0) icon = IsDirectoryEntry(e) ? ShellImages().folderIcon : ShellImages().fileIcon;
    e.viewSlot[1] = icon;
    e.viewSlot[0] = static_cast<int32_t>(INDEXTOOVERLAYMASK(overlay) | (ghost ? LVIS_CUT : 0));
  }
  if (item.mask & LVIF_IMAGE) item.iImage = e.viewSlot[1];
  if (item.mask & LVIF_STATE) {
    item.state = static_cast<UINT>(e.viewSlot[0]) & item.stateMask;
  }
}

void CFrame::OnGetInfoTip(NMLVGETINFOTIPA* tip) {
  const int entry = EntryOfItem(tip->iItem);
  if (entry < 0 || !tip->pszText || tip->cchTextMax <= 0) return;
  const size_t index = static_cast<size_t>(entry);
  const FileEntry& e = entries[index];
  std::string text = LoadResString(kColumnSpecs[kColumnType].titleId) + ": " + TypeText(index);
  if (!IsDirectoryEntry(e)) {
    text += "\r\n" + LoadResString(kColumnSpecs[kColumnTime].titleId) + ": " + TimeText(e.modified);
    text += "\r\n" + LoadResString(kColumnSpecs[kColumnSize].titleId) + ": " + SizeText(e);
  }
  if (!(tip->dwFlags & LVGIT_UNFOLDED)) {
    std::string label(tip->pszText);
    text = label + "\r\n" + text;
  }
  lstrcpynA(tip->pszText, text.c_str(), tip->cchTextMax);
}

LRESULT CFrame::OnNotify(NMHDR* header) {
  if (header->hwndFrom == list) {
    switch (header->code) {
      case LVN_GETDISPINFOA: OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(header)); return 0;
      case LVN_GETINFOTIPA: OnGetInfoTip(reinterpret_cast<NMLVGETINFOTIPA*>(header)); return 0;
      case LVN_COLUMNCLICK: {
        const int sub = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
        if (sub >= 0 && static_cast<size_t>(sub) < visibleColumns.size()) SortBy(visibleColumns[static_cast<size_t>(sub)]);
        return 0;
      }
      case LVN_ITEMCHANGED:
        if ((reinterpret_cast<NMLISTVIEW*>(header)->uChanged & LVIF_STATE) && ActivePaneWindow() == window) {
          UpdateToolbar();
          NotifyPaneStateChanged();
        }
        return 0;
      case NM_SETFOCUS: focusChild = list; Activate(); return 0;
      case NM_DBLCLK: OpenSelection(); return 0;
      case NM_RETURN: OpenSelection(); return 0;
      case LVN_BEGINLABELEDITA: labelEditing = true; return FALSE;
      case LVN_ENDLABELEDITA: labelEditing = false; return FALSE;
    }
    return 0;
  }
  if (header->hwndFrom == rebar) {
    if (header->code == RBN_HEIGHTCHANGE) Layout();
    else if (header->code == RBN_LAYOUTCHANGED) SaveBarLayout();
    return 0;
  }
  if (header->hwndFrom == address && header->code == CBEN_BEGINEDIT) {
    focusChild = address;
    Activate();
    return 0;
  }
  if (header->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    static char tip[80];
    std::string text = LoadResString(static_cast<UINT>(header->idFrom));
    const size_t cut = text.find('\n');
    std::string shown;
    for (char c : cut == std::string::npos ? text : text.substr(cut + 1))
      if (c != '&') shown += c;
    CopyText(tip, shown);
    info->lpszText = tip;
  }
  return 0;
}

// The column dialog (164): one check box row per offered column.
struct ColumnDialogState {
  CFrame* frame;
  int widths[kColumnCount];
  bool shown[kColumnCount];
  int rows;
};

INT_PTR CALLBACK ColumnDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<ColumnDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  HWND rows = GetDlgItem(dialog, IDC_COLUMN_LIST);
  auto selected = [&] { return static_cast<int>(SendMessageA(rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); };
  auto enableButtons = [&] {
    const int row = selected();
    EnableWindow(GetDlgItem(dialog, IDC_COLUMN_SHOW), row > 0);
    EnableWindow(GetDlgItem(dialog, IDC_COLUMN_HIDE), row > 0);
    if (row >= 0) SetDlgItemInt(dialog, IDC_COLUMN_WIDTH, static_cast<UINT>(state->widths[row]), FALSE);
  };
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<ColumnDialogState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SendMessageA(rows, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                   LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
      LVCOLUMNA column = {};
      column.mask = LVCF_WIDTH;
      column.cx = 160;
      SendMessageA(rows, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
      for (int id = 0; id < state->rows; ++id) {
        std::string title = LoadResString(kColumnSpecs[id].titleId);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = id;
        item.pszText = title.data();
        SendMessageA(rows, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        ListView_SetCheckState(rows, id, state->shown[id]);
      }
      enableButtons();
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == IDC_COLUMN_LIST && header->code == LVN_ITEMCHANGED) {
        auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
        // The name column stays checked.
        if (change->iItem == 0 && !ListView_GetCheckState(rows, 0)) ListView_SetCheckState(rows, 0, TRUE);
        enableButtons();
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_COLUMN_SHOW:
        case IDC_COLUMN_HIDE:
          if (selected() > 0) ListView_SetCheckState(rows, selected(), LOWORD(wParam) == IDC_COLUMN_SHOW);
          return TRUE;
        case IDC_COLUMN_WIDTH:
          if (HIWORD(wParam) == EN_CHANGE && selected() >= 0) {
            BOOL ok = FALSE;
            const UINT width = GetDlgItemInt(dialog, IDC_COLUMN_WIDTH, &ok, FALSE);
            if (ok) state->widths[selected()] = static_cast<int>(width > 100000 ? 100000 : width);
          }
          return TRUE;
        case IDOK:
          for (int id = 0; id < state->rows; ++id) state->shown[id] = id == 0 || ListView_GetCheckState(rows, id);
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

void CFrame::ShowColumnDialog() {
  if (viewStyle != kViewDetails) ChangeView(kViewDetails);
  ColumnDialogState state = {};
  state.frame = this;
  while (state.rows < kColumnCount && columnOffered[state.rows]) ++state.rows;
  for (int id = 0; id < state.rows; ++id) {
    state.widths[id] = kColumnSpecs[id].width;
    for (size_t i = 0; i < visibleColumns.size(); ++i)
      if (visibleColumns[i] == id) {
        state.shown[id] = true;
        state.widths[id] = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
      }
  }
  if (DialogBoxParamA(ResourceLibrary(), MAKEINTRESOURCEA(IDD_PANE_COLUMNS), MainWindow(), ColumnDialogProc,
                      reinterpret_cast<LPARAM>(&state)) != IDOK)
    return;
  for (int id = 1; id < state.rows; ++id) {
    bool now = false;
    for (int shown : visibleColumns) now = now || shown == id;
    if (now != state.shown[id]) ToggleColumn(id);
  }
  for (size_t i = 0; i < visibleColumns.size(); ++i)
    SendMessageA(list, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(ClampColumnWidth(state.widths[visibleColumns[i]]), 0));
}
