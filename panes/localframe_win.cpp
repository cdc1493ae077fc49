#include "panes/localframe_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "engine/transfer_win.h"
#include "panes/panepaths.h"
#include "panes/panes_win.h"
#include "panes/panetransfer_win.h"
#include "panes/serverframe_win.h"
#include "profiles/current_win.h"
#include "res/resource.h"

namespace {
std::string CurrentFolder() {
  char folder[MAX_PATH] = {};
  DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  return n > 0 && n < sizeof folder ? folder : "";
}

void FillFromFind(FileEntry& e, const WIN32_FIND_DATAA& data) {
  e.attributes = data.dwFileAttributes;
  e.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  e.modified = FileTimeValue(data.ftLastWriteTime);
  WriteAttributeLetters(data.dwFileAttributes, e.permissions);
}

// The mask the filter box put in force (applied on Enter, not while typing).
std::string FilterMask() { return Options().paneFilter; }
}  // namespace

CLocalFrame::CLocalFrame() : CFrame(false) {}

bool CLocalFrame::GetJoinDirectory(char (&buffer)[260]) {
  std::string joined = CurrentFolder();
  if (joined.empty()) return false;
  if (joined.back() != '\\') joined += '\\';
  return CopyTextWhole(buffer, joined);
}

void CLocalFrame::Refresh(uint32_t, EngineJob*) {
  std::vector<FileEntry> fresh;
  const std::string mask = FilterMask();
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("*.*", &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const DWORD a = data.dwFileAttributes;
      if (Options().hideHiddenLocal && (a & FILE_ATTRIBUTE_HIDDEN)) continue;
      if (Options().hideSystemLocal && (a & FILE_ATTRIBUTE_HIDDEN) && (a & FILE_ATTRIBUTE_SYSTEM)) continue;
      if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
      if (!(a & FILE_ATTRIBUTE_DIRECTORY) && !mask.empty() && !PathMatchSpecA(data.cFileName, mask.c_str())) continue;
      FileEntry e;
      if (!CopyTextWhole(e.name, data.cFileName)) continue;
      FillFromFind(e, data);
      fresh.push_back(e);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  const std::string folder = CurrentFolder();
  ShowEntries(std::move(fresh));
  if (!folder.empty()) {
    if (std::strcmp(folder.c_str(), current) != 0) ShowDirectory(folder.c_str());
    else PutAddressTop(current);
  }
  if (ListView_GetItemCount(list) > 0) ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  UpdateToolbar();
}

bool CLocalFrame::ChangeTo(const char* path, bool mapToServer) {
  const std::string old = CurrentFolder();
  if (lstrcmpiA(path, old.c_str()) == 0) {
    CancelMove(history);
    return false;
  }
  if (!SetCurrentDirectoryA(path)) {
    const DWORD code = GetLastError();
    CancelMove(history);
    ShowSystemError(code);
    return false;
  }
  Refresh(0, nullptr);
  if (gCurrent.record.rememberLastFolders && gCurrent.name[0]) {
    HKEY key = OpenProfileKey(gCurrent.name, 0);
    RegWriteString(key, "LastLocalDir", current);
    if (key) RegCloseKey(key);
  }
  CServerFrame* server = ServerFrame();
  if (mapToServer && Options().syncBrowsing && server && IsConnected()) {
    std::string mapped;
    if (MapSyncChange(old, current, '\\', server->CurrentDirectory(), '/', mapped))
      server->ChangeDirectoryFromSync(mapped.c_str());
  }
  return true;
}

void CLocalFrame::ChangeDirectory(const char* path) { ChangeTo(path, true); }

void CLocalFrame::ChangeDirectoryFromSync(const char* path) { ChangeTo(path, false); }

void CLocalFrame::FillAddressDefaults() {
  if (!address) return;
  fixedFolders_.clear();
  auto add = [&](const std::string& path) {
    SHFILEINFOA info = {};
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    fixedFolders_.push_back(path);
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
    item.iItem = -1;
    item.pszText = info.szDisplayName[0] ? info.szDisplayName : const_cast<char*>(path.c_str());
    item.iImage = item.iSelectedImage = info.iIcon;
    item.lParam = static_cast<LPARAM>(fixedFolders_.size());
    SendMessageA(address, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  };
  char folder[MAX_PATH];
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL})
    if (SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE)) add(folder);
  char drives[512] = {};
  DWORD n = GetLogicalDriveStringsA(sizeof drives, drives);
  for (const char* d = drives; n > 0 && n < sizeof drives && *d; d += std::strlen(d) + 1) add(d);
}

void CLocalFrame::GoToSpecialFolder(int csidl) {
  char folder[MAX_PATH];
  if (!SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE)) return;
  for (const std::string& fixed : fixedFolders_)
    if (lstrcmpiA(fixed.c_str(), folder) == 0) return ChangeDirectory(fixed.c_str());
}

void CLocalFrame::OpenSelection() {
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry)) {
    const FileEntry& e = entries[static_cast<size_t>(entry)];
    std::string path;
    if (!JoinPanePath(CurrentFolder(), e.name, '\\', path)) continue;
    if (IsDirectoryEntry(e)) {
      ChangeDirectory(path.c_str());
      return;
    }
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.hwnd = MainWindow();
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
  }
}

unsigned __stdcall LocalDeleteJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  std::string list;
  if (job->names)
    for (const std::string& path : *job->names) list.append(path).push_back('\0');
  list.push_back('\0');
  SHFILEOPSTRUCTA op = {};
  op.hwnd = MainWindow();
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(job->flags);
  const int result = SHFileOperationA(&op);
  job->quiet = result;  // the shell reports its own failures
  PostMessageA(MainWindow(), WM_JOB_DONE, reinterpret_cast<WPARAM>(job), kDoneRefreshLocal);
  return 0;
}

void CLocalFrame::DeleteSelection(bool permanent) {
  if (AddressHasFocus()) return;
  std::string prefix = CurrentFolder();
  if (prefix.empty()) return;
  // Full paths now: the job runs later, when the current directory may
  // have moved on.
  auto* names = new std::vector<std::string>();
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry)) {
    std::string path;
    if (JoinPanePath(prefix, entries[static_cast<size_t>(entry)].name, '\\', path)) names->push_back(path);
  }
  if (names->empty()) {
    delete names;
    return;
  }
  auto* job = new EngineJob();
  job->names = names;
  job->flags = permanent ? 0 : FOF_ALLOWUNDO;
  if (!StartJob(LocalDeleteJob, job)) FreeJob(job);
}

void CLocalFrame::CreateItem(uint32_t attributes, const char*) {
  const std::string base = (attributes & kAttrDirectory) ? "NewFolder" : "NewFile";
  const std::string name = FreeNewName(base, [&](const std::string& n) { return NameExists(n.c_str(), -1); });
  FileEntry e;
  e.attributes = attributes;
  if (!CopyTextWhole(e.name, name)) return;
  entries.push_back(e);
  const int item = AppendItem(e);
  if (item < 0) return;
  SetFocus(list);
  newItemPending = true;
  SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(item), 0);
}

LRESULT CLocalFrame::OnEndLabelEdit(NMLVDISPINFOA* info) {
  labelEditing = false;
  const bool pending = newItemPending;
  newItemPending = false;
  const LPARAM index = info->item.lParam;
  if (index < 0 || static_cast<size_t>(index) >= entries.size()) return FALSE;
  FileEntry& e = entries[static_cast<size_t>(index)];
  const std::string oldName = e.name;
  const std::string wanted = info->item.pszText ? info->item.pszText : oldName;
  if (!pending && wanted == oldName) return FALSE;
  if (wanted.empty() || wanted.size() >= sizeof e.name || wanted.find_first_not_of(". ") == std::string::npos) {
    ShowMessageFormat(nullptr, IDS_BAD_NEW_NAME, wanted.c_str(), MB_OK | MB_ICONWARNING);
    Refresh(0, nullptr);
    return FALSE;
  }
  if (NameExists(wanted.c_str(), static_cast<int>(index))) {
    ShowMessageFormat(nullptr, IDS_NAME_TAKEN, wanted.c_str(), MB_OK | MB_ICONWARNING);
    Refresh(0, nullptr);
    return FALSE;
  }
  bool ok;
  if (pending) {
    if (e.attributes & kAttrDirectory) {
      ok = CreateDirectoryA(wanted.c_str(), nullptr) != 0;
    } else {
      HANDLE file = CreateFileA(wanted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      ok = file != INVALID_HANDLE_VALUE;
      if (ok) CloseHandle(file);
    }
  } else {
    ok = MoveFileA(oldName.c_str(), wanted.c_str()) != 0;
  }
  if (!ok) {
    const DWORD code = GetLastError();
    ShowSystemError(code);
    Refresh(0, nullptr);
    return FALSE;
  }
  CopyText(e.name, wanted);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(wanted.c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    FillFromFind(e, data);
    FindClose(find);
  }
  e.viewSlot[0] = e.viewSlot[1] = kNoViewSlot;
  return TRUE;
}

void CLocalFrame::CutOrCopy(bool cut) {
  if (!OpenClipboard(window)) return;
  EmptyClipboard();
  if (clipboardData) GlobalFree(clipboardData);
  clipboardData = RenderDropFiles(CF_HDROP, cut);
  SetClipboardData(CF_HDROP, nullptr);
  CloseClipboard();
  clipboardEffect = cut ? 1 : 2;
  clipboardSequence = GetClipboardSequenceNumber();
}

bool CLocalFrame::AcceptsFormat(UINT format) { return format == CF_HDROP || format == ServerClipboardFormat(); }

void CLocalFrame::PasteData(HANDLE data, int effect, UINT format) {
  if (effect != 1 && effect != 2) return;
  if (format == ServerClipboardFormat()) {
    // Server items copied or cut in the server pane come down into this
    // folder; they stay on the server.
    CServerFrame* server = ServerFrame();
    if (!server || !server->ClipboardPending() || !IsConnected()) return;
    std::string folder = CurrentFolder();
    if (folder.empty()) return;
    StartTransfer(folder.c_str(), 0, 0, new std::vector<TransferItem>(server->pendingClipboard));
    return;
  }
  if (format != CF_HDROP) return;
  std::string list = ReadDropFileList(data);
  if (!list.empty()) DropFiles(CF_HDROP, list.c_str(), effect);
}

void CLocalFrame::DropFiles(UINT, const char* paths, int effect) {
  if (!paths || !paths[0]) return;
  std::string target = CurrentFolder();
  std::string list;
  for (const char* p = paths; *p; p += std::strlen(p) + 1) list.append(p).push_back('\0');
  list.push_back('\0');
  target.push_back('\0');
  SHFILEOPSTRUCTA op = {};
  op.hwnd = MainWindow();
  op.wFunc = effect == 2 ? FO_MOVE : FO_COPY;
  op.pFrom = list.c_str();
  op.pTo = target.c_str();
  char first[MAX_PATH];
  if (CopyText(first, paths)) {
    PathRemoveFileSpecA(first);
    if (lstrcmpiA(first, CurrentFolder().c_str()) == 0) op.fFlags |= FOF_RENAMEONCOLLISION;
  }
  SHFileOperationA(&op);
  Refresh(0, nullptr);
}

bool CLocalFrame::OnCommand(int id, int notifyCode) {
  switch (id) {
    case CMD_UPLOAD:
      TransferSelection(*this, true);
      return true;
    case kPaneAddressId:
      if (notifyCode == CBN_SELENDOK && address) {
        const int selected = static_cast<int>(SendMessageA(address, CB_GETCURSEL, 0, 0));
        char text[260] = {};
        COMBOBOXEXITEMA item = {};
        item.mask = CBEIF_TEXT | CBEIF_LPARAM;
        item.iItem = selected;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        if (selected >= 0 && SendMessageA(address, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
          if (item.lParam > 0 && static_cast<size_t>(item.lParam) <= fixedFolders_.size())
            ChangeDirectory(fixedFolders_[static_cast<size_t>(item.lParam) - 1].c_str());
          else
            ChangeDirectory(text);
        }
      } else if (notifyCode == CBN_SELENDCANCEL && address) {
        PostMessageA(address, CB_SETCURSEL, 0, 0);
      }
      return true;
    case CMD_BACK: GoBack(); return true;
    case CMD_FORWARD: GoForward(); return true;
    case CMD_HOME:
      if (gCurrent.record.localFolder[0]) ChangeDirectory(gCurrent.record.localFolder);
      return true;
    case CMD_UP: ChangeDirectory(".."); return true;
    case CMD_REFRESH: Refresh(0, nullptr); return true;
    case CMD_DESKTOP: GoToSpecialFolder(CSIDL_DESKTOPDIRECTORY); return true;
    case CMD_MY_DOCUMENTS: GoToSpecialFolder(CSIDL_PERSONAL); return true;
    case CMD_NEW_FOLDER: CreateItem(kAttrDirectory, nullptr); return true;
    case CMD_NEW_FILE: CreateItem(kAttrNormal, nullptr); return true;
    case CMD_CUT:
    case CMD_COPY:
      if (SelectedCount() > 0) CutOrCopy(id == CMD_CUT);
      return true;
  }
  return false;
}

bool CLocalFrame::QueryCommand(int id, bool& checked) {
  checked = false;
  const bool selection = SelectedCount() > 0;
  switch (id) {
    case CMD_UPLOAD:
      return selection && IsConnected();
    case CMD_EDIT:
    case CMD_DOWNLOAD:
    case CMD_PROPERTIES:
    case CMD_COPY_TO:
    case CMD_MOVE_TO:
    case CMD_COPY_LISTING:
    case CMD_SAVE_LISTING:
      return false;
    case CMD_OPEN:
    case CMD_DELETE:
    case CMD_DELETE_PERMANENT:
      return selection;
    case CMD_NEW_FOLDER:
    case CMD_NEW_FILE:
    case CMD_UP:
    case CMD_REFRESH:
    case CMD_DESKTOP:
    case CMD_MY_DOCUMENTS:
      return true;
    case CMD_HOME: return gCurrent.record.localFolder[0] != '\0';
  }
  return CFrame::QueryCommand(id, checked);
}

LRESULT CLocalFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const LRESULT created = CFrame::HandleMessage(message, wParam, lParam);
      if (created == 0 && address) {
        HWND edit = reinterpret_cast<HWND>(SendMessageA(address, CBEM_GETEDITCONTROL, 0, 0));
        if (edit) SHAutoComplete(edit, SHACF_FILESYSTEM);
      }
      return created;
    }
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return 1;
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == list && header->code == LVN_ENDLABELEDITA)
        return OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(lParam));
      if (header->hwndFrom == address && header->code == CBEN_ENDEDITA) {
        auto* edit = reinterpret_cast<NMCBEENDEDITA*>(lParam);
        if (edit->iWhy == CBENF_RETURN && edit->fChanged && edit->szText[0]) ChangeDirectory(edit->szText);
        return 0;
      }
      break;
    }
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
      // The clipboard gets its own copy; the pane keeps the block for a
      // later request.
      if (clipboardData && (message == WM_RENDERALLFORMATS || wParam == CF_HDROP)) {
        const SIZE_T size = GlobalSize(clipboardData);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        void* from = GlobalLock(clipboardData);
        void* to = copy ? GlobalLock(copy) : nullptr;
        if (from && to) std::memcpy(to, from, size);
        if (to) GlobalUnlock(copy);
        if (from) GlobalUnlock(clipboardData);
        const bool own = message == WM_RENDERALLFORMATS && OpenClipboard(window);
        if (!copy || !SetClipboardData(CF_HDROP, copy)) {
          if (copy) GlobalFree(copy);
        }
        if (own) CloseClipboard();
      }
      return 0;
    case WM_DESTROYCLIPBOARD:
    case WM_DESTROY:
      if (clipboardData) GlobalFree(clipboardData);
      clipboardData = nullptr;
      break;
  }
  return CFrame::HandleMessage(message, wParam, lParam);
}
