#include "panes/serverframe_win.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "engine/ineterror_win.h"
#include "engine/listdate.h"
#include "engine/listparse.h"
#include "engine/progressapi_win.h"
#include "engine/transfer_win.h"
#include "panes/localframe_win.h"
#include "panes/panepaths.h"
#include "panes/panes_win.h"
#include "panes/panetransfer_win.h"
#include "profiles/current_win.h"
#include "res/resource.h"

CServerFrame::CServerFrame() : CFrame(true) {}

CServerFrame::~CServerFrame() = default;

int CServerFrame::CompareNames(const char* a, const char* b) {
  return gCurrent.record.namesIgnoreCase ? lstrcmpiA(a, b) : lstrcmpA(a, b);
}

bool CServerFrame::GetJoinDirectory(char (&buffer)[260]) {
  std::string joined = current;
  if (joined.empty() || joined.back() != '/') joined += '/';
  return CopyTextWhole(buffer, joined);
}

bool CServerFrame::FullPath(const char* name, std::string& out) const {
  return JoinPanePath(current, name, '/', out);
}

bool CServerFrame::StartServerJob(JobFunction function, EngineJob* job) {
  if (StartJob(function, job)) return true;
  FreeJob(job);
  return false;
}

namespace {
// The window text names the server and folder, for tools that read windows.
void NameWindow(HWND window, const char* folder) {
  char text[600];
  if (IsConnected()) snprintf(text, sizeof text, "%s %s", gCurrent.record.host, folder);
  else snprintf(text, sizeof text, "Not connected");
  SetWindowTextA(window, text);
}
}  // namespace

void CServerFrame::Refresh(uint32_t flags, EngineJob* job) {
  if (!IsConnected()) {
    NameWindow(window, "");
    ClearList();
    if (address)
      while (SendMessageA(address, CBEM_DELETEITEM, 0, 0) > 0) {
      }
    SetAddressEnabled(false);
    current[0] = '\0';
    history = NavHistory();
    addressEntries.clear();
    UpdateToolbar();
    return;
  }
  char savePath[260] = {};
  if (flags & kListSaveToFile) {
    std::string filter = LoadResString(IDS_LISTING_FILTER);
    for (char& c : filter)
      if (c == '\t') c = '\0';
    filter.push_back('\0');
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = MainWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = savePath;
    ofn.nMaxFile = sizeof savePath;
    ofn.lpstrDefExt = "txt";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&ofn)) return;
  }
  SetAddressEnabled(true);
  if (job && job->resultPath[0] && std::strcmp(job->resultPath, current) != 0) {
    std::string old = current;
    ShowDirectory(job->resultPath);
    if (Options().syncBrowsing && !syncSuppress && !old.empty() && LocalFrame()) {
      std::string mapped;
      if (MapSyncChange(old, current, '/', LocalFrame()->CurrentDirectory(), '\\', mapped))
        LocalFrame()->ChangeDirectoryFromSync(mapped.c_str());
    }
  } else if (job) {
    CancelMove(history);
  }
  syncSuppress = false;
  NameWindow(window, current);
  if (gCurrent.record.rememberLastFolders && current[0]) {
    HKEY key = OpenProfileKey(gCurrent.name, 0);
    RegWriteString(key, "LastServerDir", current);
    if (key) RegCloseKey(key);
  }
  SetProgressTitle(IDS_TITLE_LISTING);
  SetProgressTotal(1);
  auto* list = new EngineJob();
  CopyText(list->directory, current);
  CopyText(list->resultPath, savePath);
  list->flags = flags & 0x30;
  StartServerJob(RefreshListingJob, list);
}

void CServerFrame::ShowListing(EngineJob* job) {
  // A listing of a directory the pane has left since is of no use.
  if (!job->items || std::strcmp(job->directory, current) != 0) return;
  std::vector<FileEntry> fresh;
  fresh.reserve(job->items->size());
  for (FileEntry& e : *job->items) {
    // Dot entries are hidden whichever way the engine listed.
    if (Options().hideHiddenServer && e.name[0] == '.') continue;
    e.viewSlot[0] = e.viewSlot[1] = kNoViewSlot;
    e.cutMark = 0;
    fresh.push_back(e);
  }
  ShowEntries(std::move(fresh));
  bool selected = false;
  if (selectAfterListing[0]) {
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count && !selected; ++i) {
      const int entry = EntryOfItem(i);
      if (entry >= 0 && std::strcmp(entries[static_cast<size_t>(entry)].name, selectAfterListing) == 0) {
        SelectItem(i);
        selected = true;
      }
    }
  }
  if (!selected && !entries.empty()) ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  selectAfterListing[0] = '\0';
  UpdateToolbar();
}

bool CServerFrame::OnJobDone(EngineJob* job, uint32_t flags) {
  if (job == changeJob_) {
    changeJob_ = nullptr;
    if (!(flags & kDoneRefreshServer)) CancelMove(history);
  }
  if (flags & kDoneTakeListing) ShowListing(job);
  if (flags & kDoneRenameAfterChmod) {
    if (job->directory[0] && job->resultPath[0]) {
      auto* pairs = new std::vector<std::string>{job->directory, job->resultPath};
      QueueRenamePairs(pairs, false);
    } else {
      Refresh(kRefreshFromServer, nullptr);
    }
  }
  if (flags & kDoneRefreshServer) Refresh(kRefreshFromServer, (flags & kDoneWithJob) ? job : nullptr);
  return false;
}

void CServerFrame::ChangeDirectory(const char* path) {
  if (IsConnected() && path && path[0]) {
    SetProgressTotal(1);
    auto* job = new EngineJob();
    job->direction = 1;
    if (CopyTextWhole(job->directory, path)) {
      if (StartServerJob(ChangeDirectoryJob, job)) changeJob_ = job;
    } else {
      FreeJob(job);
    }
  }
  UpdateToolbar();
}

void CServerFrame::ChangeDirectoryFromSync(const char* path) {
  syncSuppress = true;
  ChangeDirectory(path);
}

void CServerFrame::OpenSelection() {
  if (!IsConnected()) return;
  int entry = -1;
  if (NextSelected(-1, entry) < 0) return;
  const FileEntry& e = entries[static_cast<size_t>(entry)];
  std::string path;
  // Opening a file downloads it first; that arrives with file transfer.
  if (IsDirectoryEntry(e) && FullPath(e.name, path)) ChangeDirectory(path.c_str());
}

void CServerFrame::DeleteSelection(bool) {
  if (!IsConnected() || AddressHasFocus()) return;
  auto* items = new std::vector<FileEntry>();
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry)) {
    FileEntry e = entries[static_cast<size_t>(entry)];
    std::string path;
    if (!FullPath(e.name, path)) continue;
    CopyText(e.name, path);
    items->push_back(e);
  }
  if (items->empty()) {
    delete items;
    return;
  }
  int answer;
  if (items->size() == 1) {
    answer = ShowMessageFormat(nullptr, IDS_DELETE_ONE, entries[static_cast<size_t>(EntryOfItem(NextSelected(-1, entry)))].name,
                               MB_YESNO | MB_ICONWARNING);
  } else {
    char text[300];
    snprintf(text, sizeof text, LoadResString(IDS_DELETE_MANY).c_str(), static_cast<int>(items->size()));
    answer = ShowMessageText(nullptr, text, MB_YESNO | MB_ICONWARNING);
  }
  if (answer != IDYES) {
    delete items;
    return;
  }
  SetProgressTitle(IDS_STEP_DELETE);
  SetProgressTotal(static_cast<int>(items->size()));
  ShowProgressWindow(true);
  auto* job = new EngineJob();
  job->items = items;
  StartServerJob(DeleteJob, job);
}

void CServerFrame::CreateItem(uint32_t attributes, const char* name) {
  if (!IsConnected()) return;
  SetFocus(list);
  FileEntry e;
  e.attributes = attributes;
  CopyText(e.name, name ? name : (attributes & kAttrDirectory) ? "NewFolder" : "NewFile");
  entries.push_back(e);
  const int item = AppendItem(e);
  if (name || item < 0) return;
  newItemPending = true;
  SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(item), 0);
}

LRESULT CServerFrame::OnEndLabelEdit(NMLVDISPINFOA* info) {
  labelEditing = false;
  const bool pending = newItemPending;
  newItemPending = false;
  const LPARAM index = info->item.lParam;
  if (index < 0 || static_cast<size_t>(index) >= entries.size()) return FALSE;
  FileEntry& e = entries[static_cast<size_t>(index)];
  const std::string oldName = e.name;
  const char* typed = info->item.pszText;
  std::string wanted = typed ? typed : oldName;
  auto dropProvisional = [&] {
    if (!pending) return;
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(info->item.iItem), 0);
    if (static_cast<size_t>(index) + 1 == entries.size()) entries.pop_back();
  };
  if (!pending && (!typed || wanted == oldName)) return FALSE;
  if (wanted.empty() || wanted.find_first_not_of(". ") == std::string::npos || wanted.size() >= sizeof e.name) {
    ShowMessageFormat(nullptr, IDS_BAD_NEW_NAME, wanted.c_str(), MB_OK | MB_ICONWARNING);
    dropProvisional();
    return FALSE;
  }
  // An existing name is refused: a rename over it would replace the other
  // item on many servers, and a new item would fail or clobber it.
  if (NameExists(wanted.c_str(), static_cast<int>(index))) {
    ShowMessageFormat(nullptr, IDS_NAME_TAKEN, wanted.c_str(), MB_OK | MB_ICONWARNING);
    dropProvisional();
    return FALSE;
  }
  std::string oldPath, newPath;
  if (!FullPath(oldName.c_str(), oldPath) || !FullPath(wanted.c_str(), newPath)) {
    ShowMessageFormat(nullptr, IDS_BAD_NEW_NAME, wanted.c_str(), MB_OK | MB_ICONWARNING);
    dropProvisional();
    return FALSE;
  }
  CopyText(e.name, wanted);
  CopyText(selectAfterListing, wanted);
  if (pending) {
    if (!IsConnected()) return TRUE;
    SetProgressTotal(1);
    auto* job = new EngineJob();
    job->names = std::make_unique<std::vector<std::string>>(std::vector<std::string>{newPath});
    StartServerJob((e.attributes & kAttrDirectory) ? MakeDirectoriesJob : CreateFilesJob, job);
    return TRUE;
  }
  QueueRenamePairs(new std::vector<std::string>{oldPath, newPath}, false);
  return TRUE;
}

void CServerFrame::QueueRenamePairs(std::vector<std::string>* pairs, bool copy) {
  if (!IsConnected() || pairs->empty()) {
    delete pairs;
    return;
  }
  SetProgressTotal(static_cast<int>(pairs->size() / 2));
  if (copy) {
    SetProgressTitle(IDS_STEP_TRANSFER);
    ShowProgressWindow(true);
  }
  auto* job = new EngineJob();
  job->names = pairs;
  job->flags = copy ? kRenameCopies : 0;
  StartServerJob(RenameOrCopyJob, job);
}

void CServerFrame::QueueChmod(std::vector<std::string>* pairs, const std::string& renameFrom,
                              const std::string& renameTo) {
  if (pairs->empty()) {
    delete pairs;
    if (!renameTo.empty()) QueueRenamePairs(new std::vector<std::string>{renameFrom, renameTo}, false);
    return;
  }
  SetProgressTotal(static_cast<int>(pairs->size() / 2));
  auto* job = new EngineJob();
  job->names = pairs;
  if (!renameTo.empty()) {
    CopyText(job->directory, renameFrom);
    CopyText(job->resultPath, renameTo);
  }
  StartServerJob(ChmodJob, job);
}

void CServerFrame::CutOrCopy(bool cut) {
  if (!OpenClipboard(window)) return;
  EmptyClipboard();
  pendingClipboard.clear();
  clipboardPending_ = false;
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry)) {
    FileEntry& e = entries[static_cast<size_t>(entry)];
    std::string path;
    if (!FullPath(e.name, path)) continue;
    TransferItem t = {};
    t.size = e.size;
    t.fileTime = {static_cast<DWORD>(e.modified), static_cast<DWORD>(e.modified >> 32)};
    CopyText(t.source, path);
    t.kind = static_cast<int>(e.attributes);
    pendingClipboard.push_back(t);
    if (cut) {
      e.cutMark = 1;
      e.viewSlot[0] = kNoViewSlot;
      RedrawItem(item);
    }
  }
  SetClipboardData(ServerClipboardFormat(), nullptr);
  CloseClipboard();
  clipboardEffect = cut ? 1 : 2;
  clipboardSequence = GetClipboardSequenceNumber();
}

void CServerFrame::ShowPastedListing(HANDLE data) {
  if (!data) return;
  const SIZE_T size = GlobalSize(data);
  const char* text = static_cast<const char*>(GlobalLock(data));
  if (!text) return;
  // Clipboard text is outside input: read only within its block.
  std::string listing(text, strnlen(text, size));
  GlobalUnlock(data);
  // The parser trusts a listing only when it holds "." or "..", which
  // tells a complete reply to "LIST -a"; pasted text has no such reply to
  // be cut short, so it gets that line added.
  listing += "\r\ndrwxr-xr-x 2 - - 0 Jan  1  2000 ..\r\n";
  std::vector<FileEntry> parsed;
  ListParseOptions options;
  options.now = ListClockAt(static_cast<int64_t>(time(nullptr)));
  options.hideDotFiles = Options().hideHiddenServer;
  options.timeZone = gCurrent.record.timeZone;
  options.toUtc = ServerTimeToUtc;
  ParseListing(listing, options, parsed);
  ShowEntries(std::move(parsed));
  UpdateToolbar();
}

void CServerFrame::PasteData(HANDLE data, int effect, UINT format) {
  if (format == CF_TEXT) return ShowPastedListing(data);
  if (format == CF_HDROP) {
    std::string list = ReadDropFileList(data);
    if (!list.empty()) DropFiles(CF_HDROP, list.c_str(), effect);
    return;
  }
  if (format != ServerClipboardFormat() || !clipboardPending_ || !IsConnected()) return;
  if (effect != 1 && effect != 2) return;
  auto* pairs = new std::vector<std::string>();
  for (const TransferItem& t : pendingClipboard) {
    const char* slash = std::strrchr(t.source, '/');
    std::string name = slash ? slash + 1 : t.source;
    std::string folder(t.source, slash ? static_cast<size_t>(slash - t.source) : 0);
    if (folder.empty()) folder = "/";
    std::string here = current;
    if (here.size() > 1 && here.back() == '/') here.pop_back();
    if (effect == 1 && folder == here) {
      char copied[300];
      snprintf(copied, sizeof copied, LoadResString(IDS_COPY_OF).c_str(), name.c_str());
      name = copied;
    } else if (effect == 2 && folder == here) {
      continue;  // moving onto itself
    }
    std::string target;
    if (!JoinPanePath(current, name, '/', target) || name.find('/') != std::string::npos) continue;
    CopyText(selectAfterListing, name);
    pairs->push_back(t.source);
    pairs->push_back(target);
  }
  QueueRenamePairs(pairs, effect == 1);
  if (effect == 2) {
    pendingClipboard.clear();
    clipboardPending_ = false;
  }
}

void CServerFrame::DropFiles(UINT format, const char* paths, int) {
  // Local files dropped or pasted here go up into the current folder. A
  // path that cannot be found stops the whole upload, reported.
  if (format != CF_HDROP || !paths || !IsConnected() || !current[0]) return;
  auto items = std::make_unique<std::vector<TransferItem>>();
  for (const char* p = paths; *p; p += std::strlen(p) + 1) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(p, &data);
    if (find == INVALID_HANDLE_VALUE) {
      ReportInternetError(GetLastError(), "FindFirstFile", -1);
      return;
    }
    FindClose(find);
    TransferItem t = {};
    if (!CopyTextWhole(t.source, p)) continue;
    t.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    t.fileTime = data.ftLastWriteTime;
    t.kind = static_cast<int>(data.dwFileAttributes);
    items->push_back(t);
  }
  if (!items->empty()) StartTransfer(current, 1, 0, items.release());
}

bool CServerFrame::OnCommand(int id, int notifyCode) {
  const bool connected = IsConnected();
  switch (id) {
    case CMD_DOWNLOAD:
      TransferSelection(*this, false);
      return true;
    case kPaneAddressId:
      if (notifyCode == CBN_SELENDOK && address) {
        char text[260] = {};
        const int selected = static_cast<int>(SendMessageA(address, CB_GETCURSEL, 0, 0));
        COMBOBOXEXITEMA item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = selected;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        if (selected >= 0 && SendMessageA(address, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) &&
            std::strcmp(text, current) != 0)
          ChangeDirectory(text);
      }
      return true;
    case CMD_BACK:
      if (connected) GoBack();
      return true;
    case CMD_FORWARD:
      if (connected) GoForward();
      return true;
    case CMD_HOME:
      if (connected && gCurrent.record.remoteFolder[0]) ChangeDirectory(gCurrent.record.remoteFolder);
      return true;
    case CMD_UP:
      if (connected) ChangeDirectory(RemoteParent(current).c_str());
      return true;
    case CMD_REFRESH: Refresh(kRefreshFromServer, nullptr); return true;
    case CMD_COPY_LISTING:
      if (connected) Refresh(kRefreshToClipboard, nullptr);
      return true;
    case CMD_SAVE_LISTING:
      if (connected) Refresh(kRefreshSaveToFile, nullptr);
      return true;
    case CMD_NEW_FOLDER: CreateItem(kAttrDirectory, nullptr); return true;
    case CMD_NEW_FILE: CreateItem(kAttrNormal, nullptr); return true;
    case CMD_PROPERTIES:
      if (connected && SelectedCount() > 0) ShowProperties();
      return true;
    case CMD_CUT:
    case CMD_COPY:
      if (SelectedCount() > 0) CutOrCopy(id == CMD_CUT);
      return true;
    case CMD_COPY_TO:
    case CMD_MOVE_TO:
      CopyOrMoveTo(id == CMD_COPY_TO);
      return true;
  }
  return false;
}

bool CServerFrame::QueryCommand(int id, bool& checked) {
  checked = false;
  const bool connected = IsConnected();
  const bool selection = SelectedCount() > 0;
  switch (id) {
    case CMD_DOWNLOAD:
      return connected && selection;
    case CMD_EDIT:
      return false;  // comes with the outside editor
    case CMD_COPY_TO:
    case CMD_MOVE_TO:
      return connected && selection;
    case CMD_OPEN: return true;
    case CMD_NEW_FOLDER:
    case CMD_NEW_FILE:
    case CMD_COPY_LISTING:
    case CMD_SAVE_LISTING:
    case CMD_UP:
      return connected;
    case CMD_DELETE:
    case CMD_DELETE_PERMANENT:
    case CMD_PROPERTIES:
      return connected && selection;
    case CMD_BACK: return connected && !history.back.empty();
    case CMD_FORWARD: return connected && !history.forward.empty();
    case CMD_HOME: return connected && gCurrent.record.remoteFolder[0] != '\0';
    case CMD_REFRESH: return true;
    case CMD_DESKTOP:
    case CMD_MY_DOCUMENTS:
    case CMD_UPLOAD:
      return false;
  }
  return CFrame::QueryCommand(id, checked);
}

LRESULT CServerFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return 1;
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == list && header->code == LVN_ENDLABELEDITA)
        return OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(lParam));
      if (header->hwndFrom == address && header->code == CBEN_ENDEDITA) {
        auto* edit = reinterpret_cast<NMCBEENDEDITA*>(lParam);
        if (edit->iWhy == CBENF_RETURN && edit->fChanged && edit->szText[0]) {
          std::string target;
          if (edit->szText[0] == '/') target = edit->szText;
          else if (!JoinPanePath(current, edit->szText, '/', target)) return 0;
          ChangeDirectory(target.c_str());
        }
        return 0;
      }
      break;
    }
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
      // The data is the pending list itself; a paste reads it from here.
      clipboardPending_ = !pendingClipboard.empty();
      return 0;
    case WM_DESTROYCLIPBOARD:
      pendingClipboard.clear();
      clipboardPending_ = false;
      break;
    case WM_DESTROY:
      pendingClipboard.clear();
      break;
  }
  return CFrame::HandleMessage(message, wParam, lParam);
}
