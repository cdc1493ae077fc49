// Transfer jobs: a selection or a synchronize walk becomes a list of steps
// (planned by the portable transferplan with listings from the workers and
// the local disk), which then runs on all workers at once.
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "base/textbuf.h"
#include "base/useroptions.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/progressapi_win.h"
#include "engine/transfer_win.h"
#include "engine/transferplan.h"
#include "engine/transferrules.h"
#include "profiles/current_win.h"

namespace {
constexpr UINT kTitleUpload = 259, kTitleDownload = 260;
constexpr UINT kKindTitles[6] = {0, 261, 274, 275, 276, 277};
constexpr int kKindOperations[6] = {0, kOpDeleteFile, kOpRemoveDirectory, kOpMakeDirectory, kOpTransfer, kOpTransfer};

DWORD gStartTick = 0;
OverwriteHook gOverwriteHook = nullptr;
bool gOnlyIfNewer = false;  // the overwrite dialog's check box, kept for the session


// "name" in folder, as a refused name is reported: the name is quoted
// because it may hold the very characters that made it unusable.
std::string NameInFolder(const std::string& name, const std::string& folder) {
  return "\"" + name + "\" in " + (folder.empty() ? std::string(".") : folder);
}

int Ask(OverwriteQuestion& q) { return gOverwriteHook ? gOverwriteHook(q) : AskOverwriteDialog(q); }

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

// Every entry of a local folder, hidden ones too: a walk that did not see
// a file would delete its copy on the server.
int ListLocalFolder(const std::string& folder, std::vector<FileEntry>& out) {
  out.clear();
  std::string pattern = folder + (folder.empty() || folder.back() == '\\' ? "*" : "\\*");
  if (pattern.size() >= MAX_PATH) {
    ReportInternetErrorOn(ERROR_FILENAME_EXCED_RANGE, "FindFirstFile", -1, folder.c_str());
    return ERROR_FILENAME_EXCED_RANGE;
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return 0;
    ReportInternetErrorOn(code, "FindFirstFile", -1, folder.c_str());
    return static_cast<int>(code);
  }
  do {
    if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
    FileEntry e;
    CopyText(e.name, data.cFileName);
    // Reparse points (links) are never walked into.
    e.attributes = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY
                       ? (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? kAttrSymlink : kAttrDirectory)
                       : kAttrNormal;
    e.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    e.modified = FileTimeValue(data.ftLastWriteTime);
    out.push_back(e);
  } while (FindNextFileA(find, &data));
  // Only "no more files" ends the folder: any other failure leaves entries
  // unseen, and a walk that went on would delete their server copies.
  const DWORD code = GetLastError();
  FindClose(find);
  if (code != ERROR_NO_MORE_FILES) {
    const DWORD reported = code ? code : ERROR_READ_FAULT;
    ReportInternetErrorOn(reported, "FindNextFile", -1, folder.c_str());
    out.clear();
    return static_cast<int>(reported);
  }
  return 0;
}

// Lists server folders on all workers at once and waits for every one.
int ListServerLevel(const std::vector<std::string>& folders, std::vector<std::vector<FileEntry>>& listings) {
  std::vector<int> results(folders.size(), 0);
  int failure = 0;
  for (size_t i = 0; i < folders.size() && failure == 0; ++i) {
    if (IsCancelRequested()) break;
    EngineRequest r;
    r.remote = 1;
    r.pathB = folders[i].c_str();
    r.list = &listings[i];
    r.flags = INTERNET_FLAG_RELOAD | kListEverything;
    failure = DispatchTracked(r, kOpList, &results[i]);
  }
  WaitForAllWorkers();
  for (int r : results)
    if (failure == 0 && r != 0) failure = r;
  if (failure == 0 && IsCancelRequested()) failure = kPlanCancelled;
  return failure;
}

// Server listings of one job: a folder asked for the first time is listed
// with the whole tree below it, in parallel, before any comparison.
struct ServerCache {
  std::map<std::string, std::vector<FileEntry>> folders;

  int List(const std::string& folder, std::vector<FileEntry>& out, bool withTree) {
    auto it = folders.find(folder);
    if (it == folders.end()) {
      int result = withTree ? PrefetchServerTree(folder, ListServerLevel, folders, IsCancelRequested)
                            : ListServerLevelOne(folder);
      if (result != 0) return result;
      it = folders.find(folder);
      if (it == folders.end()) return kPlanCancelled;
    }
    out = it->second;
    return 0;
  }
  int ListServerLevelOne(const std::string& folder) {
    std::vector<std::vector<FileEntry>> one(1);
    int result = ListServerLevel({folder}, one);
    if (result == 0) folders[folder] = std::move(one[0]);
    return result;
  }
};

const FileEntry* FindEntry(const std::vector<FileEntry>& entries, const std::string& name, bool ignoreCase) {
  for (const FileEntry& e : entries)
    if (ignoreCase ? EqualsNoCase(e.name, name) : name == e.name) return &e;
  return nullptr;
}

// The sides of a plan: listings from the workers and the disk, questions
// by the destination's rules (what it holds, then the user's answer).
struct JobSides {
  ServerCache server;
  std::map<std::string, std::vector<FileEntry>> localDestinations;
  PlanSides sides;

  JobSides(int direction, const char* filterMask) {
    sides.direction = direction;
    sides.filterMask = filterMask;
    sides.ignoreCase = gCurrent.record.namesIgnoreCase != 0;
    sides.notTransferred = &gCurrent.lists.notTransferred;
    sides.notDeleted = &gCurrent.lists.notDeleted;
    sides.isLeadByte = IsLeadByte;
    sides.onlyIfNewer = gOnlyIfNewer;
    sides.cancelled = IsCancelRequested;
    sides.list = [this](bool serverSide, const std::string& folder, std::vector<FileEntry>& out) {
      return serverSide ? server.List(folder, out, true) : ListLocalFolder(folder, out);
    };
    sides.askOverwrite = [](const FileEntry& incoming, const FileEntry& existing, const std::string& folder,
                            bool& onlyIfNewer) {
      OverwriteQuestion q;
      q.directory = folder.c_str();
      q.name = existing.name;
      q.existing = &existing;
      q.incoming = &incoming;
      q.onlyIfNewer = onlyIfNewer;
      int answer = Ask(q);
      onlyIfNewer = q.onlyIfNewer;
      return answer;
    };
    sides.askFolder = [this](const std::string& folder, const std::string& name, int& flags, bool& cancel) {
      const std::vector<FileEntry>* entries = Destination(folder);
      if (!entries) {
        cancel = true;  // the destination could not be read: nothing is safe to do
        return static_cast<int>(kFolderSkip);
      }
      if (!FindEntry(*entries, name, sides.ignoreCase)) return static_cast<int>(kFolderMissing);
      if (flags & kCompareYesToAll) return static_cast<int>(kFolderMerge);
      OverwriteQuestion q;
      q.folder = true;
      q.directory = folder.c_str();
      q.name = name.c_str();
      int answer = Ask(q);
      if (answer == kAnswerYesToAll) flags |= kCompareYesToAll;
      if (answer == kAnswerCancel) cancel = true;
      return static_cast<int>(answer == kAnswerYes || answer == kAnswerYesToAll ? kFolderMerge : kFolderSkip);
    };
    sides.askFile = [this](TransferStep& step, const std::string& folder, int& flags, bool& cancel) {
      const std::vector<FileEntry>* entries = Destination(folder);
      if (!entries) {
        cancel = true;
        return false;
      }
      const std::string name(BaseName(step.destination));
      const FileEntry* existing = FindEntry(*entries, name, sides.ignoreCase);
      const bool upload = sides.direction != 0;
      if (!existing || (!upload && GetFileAttributesA(step.destination.c_str()) == INVALID_FILE_ATTRIBUTES))
        return true;
      step.kind = kStepReplaceFile;
      FileEntry incoming;
      CopyText(incoming.name, name);
      incoming.size = step.size;
      incoming.modified = step.fileTime;
      int answer = kAnswerYes;
      if (!(flags & kCompareYesToAll)) {
        OverwriteQuestion q;
        q.directory = folder.c_str();
        q.name = existing->name;
        q.existing = existing;
        q.incoming = &incoming;
        q.onlyIfNewer = sides.onlyIfNewer;
        answer = Ask(q);
        sides.onlyIfNewer = q.onlyIfNewer;
      }
      if (answer == kAnswerYesToAll) flags |= kCompareYesToAll;
      if (answer == kAnswerCancel) {
        cancel = true;
        return false;
      }
      if (answer != kAnswerYes && answer != kAnswerYesToAll) return false;
      return !sides.onlyIfNewer || CompareTimes(incoming.modified, existing->modified) > 0;
    };
    sides.localExists = [](const std::string& path) {
      return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    sides.reportName = [](int code, const std::string& folder, const std::string& name) {
      ReportInternetErrorOn(static_cast<DWORD>(code), "TransferName", -1, NameInFolder(name, folder).c_str());
    };
  }
  ~JobSides() { gOnlyIfNewer = sides.onlyIfNewer; }

  // What the destination folder holds; null when it cannot be read.
  const std::vector<FileEntry>* Destination(const std::string& folder) {
    if (sides.direction) {
      auto it = server.folders.find(folder);
      if (it == server.folders.end()) {
        if (server.ListServerLevelOne(folder) != 0) return nullptr;
        it = server.folders.find(folder);
      }
      return &it->second;
    }
    auto it = localDestinations.find(folder);
    if (it == localDestinations.end()) {
      std::vector<FileEntry> entries;
      if (ListLocalFolder(folder, entries) != 0) return nullptr;
      it = localDestinations.emplace(folder, std::move(entries)).first;
    }
    return &it->second;
  }
};

// Steps into the job's list; a path that does not fit fails its step.
void StoreSteps(EngineJob* job, const std::vector<TransferStep>& steps) {
  auto list = std::make_unique<std::vector<TransferItem>>();
  list->reserve(steps.size());
  for (const TransferStep& s : steps) {
    TransferItem item = {};
    item.kind = s.kind;
    item.size = s.size;
    item.fileTime = WindowsFileTime(s.fileTime);
    if (!CopyTextWhole(item.source, s.source) || !CopyTextWhole(item.destination, s.destination)) {
      const std::string& path = s.source.size() >= sizeof item.source ? s.source : s.destination;
      ReportInternetErrorOn(ERROR_FILENAME_EXCED_RANGE, "TransferName", -1, path.c_str());
      continue;
    }
    list->push_back(item);
  }
  job->transferList = std::move(list);
}

std::vector<SelectedItem> Selection(const EngineJob* job) {
  std::vector<SelectedItem> out;
  if (!job->transferList) return out;
  for (const TransferItem& item : *job->transferList) {
    SelectedItem s;
    s.path.assign(item.source, FieldLength(item.source));
    s.destinationName.assign(item.destination, FieldLength(item.destination));
    s.directory = (static_cast<uint32_t>(item.kind) & kAttrDirectory) != 0;
    s.size = item.size;
    s.fileTime = FileTimeValue(item.fileTime);
    out.push_back(std::move(s));
  }
  return out;
}
}  // namespace

DWORD TakeTransferStartTick() {
  DWORD started = gStartTick;
  gStartTick = 0;
  return started;
}
void SetOverwriteHook(OverwriteHook hook) { gOverwriteHook = hook; }

int ExecuteTransferList(EngineJob* job) {
  if (!job->transferList) return 0;
  std::vector<TransferItem>& list = *job->transferList;
  // Results of the steps that run without waiting land here, so a file
  // that failed on a worker fails the list instead of passing for done.
  std::vector<int> results(list.size(), 0);
  int failure = 0;
  int previous = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (IsCancelRequested()) break;
    const TransferItem& item = list[i];
    const int kind = item.kind >= 1 && item.kind <= 5 ? item.kind : 0;
    if (kind == 0) continue;
    if (kind != previous) {
      // New and replaced files keep running in parallel; any other change
      // of step waits for what runs.
      if (previous != 0 && !(previous == kStepNewFile && kind == kStepReplaceFile)) WaitForAllWorkers();
      SetProgressTitle(kKindTitles[kind]);
      previous = kind;
    }
    EngineRequest r;
    r.remote = job->direction;
    r.pathA = item.source;
    r.pathB = item.destination;
    r.size = item.size;
    r.fileTime = item.fileTime;
    const int op = kKindOperations[kind];
    // A folder must exist, or be gone, before the next step; when it
    // could not be made or removed the list stops there, instead of
    // failing every file below it one by one.
    const bool wait = op == kOpRemoveDirectory || op == kOpMakeDirectory;
    int result = wait ? Dispatch(r, op, true) : DispatchTracked(r, op, &results[i]);
    if (result != 0 && failure == 0) failure = result;
    if (wait && result != 0) break;
  }
  WaitForAllWorkers();
  for (int r : results)
    if (failure == 0 && r != 0) failure = r;
  if (failure == 0 && IsCancelRequested()) failure = ERROR_CANCELLED;
  return failure;
}

unsigned __stdcall ExecuteTransferListJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  ExecuteTransferList(job);
  if (job->transferList) job->transferList->clear();
  CompleteJob(job, job->direction ? kDoneRefreshServer : kDoneRefreshLocal, mutex);
  return 0;
}

unsigned __stdcall TransferSelectionJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  const bool editOrView = IsEditOrViewTransfer(job->flags);
  std::vector<SelectedItem> selection = Selection(job);
  std::vector<TransferStep> steps;
  int result;
  {
    JobSides sides(job->direction, job->filterMask);
    result = PlanSelection(sides.sides, selection, job->resultPath, InitialCompareFlags(job->flags), editOrView,
                           steps);
  }
  if (result == 0 && IsCancelRequested()) result = ERROR_CANCELLED;
  StoreSteps(job, result == 0 ? steps : std::vector<TransferStep>());
  if (result == 0 && !job->transferList->empty()) {
    SetProgressTotal(static_cast<int>(job->transferList->size()));
    result = ExecuteTransferList(job);
  }
  // An edit-or-view job keeps its list: the follow-up opens the copies by
  // the names they were given.
  if (!editOrView) job->transferList->clear();
  uint32_t flags = result == 0 ? job->flags : job->flags & kTransferRestartWatch;
  if (!editOrView) flags |= job->direction ? kDoneRefreshServer : kDoneRefreshLocal;
  CompleteJob(job, flags, mutex);
  return 0;
}

unsigned __stdcall SynchronizeJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  std::vector<TransferStep> steps;
  int flags = gCurrent.record.overwriteWithoutAsking ? kCompareYesToAll : 0;
  int result;
  {
    JobSides sides(1, job->filterMask);
    result = WalkFolderPair(sides.sides, job->directory, job->resultPath, flags, steps);
  }
  // A walk that failed part way would delete what it did not see: nothing
  // of it is offered.
  StoreSteps(job, result == 0 ? steps : std::vector<TransferStep>());
  CompleteJob(job, kDoneKeepJob, mutex);
  return 0;
}

bool StartTransfer(const char* destinationFolder, int direction, uint32_t flags,
                   std::vector<TransferItem> selection) {
  gStartTick = GetTickCount();
  ClearCancelRequest();
  SetProgressTitle(direction ? kTitleUpload : kTitleDownload);
  SetProgressTotal(0);
  ShowProgressWindow(false);
  if (direction) {
    for (TransferItem& item : selection) {
      if (item.fileTime.dwLowDateTime || item.fileTime.dwHighDateTime) continue;
      WIN32_FIND_DATAA data;
      HANDLE find = FindFirstFileA(item.source, &data);
      if (find == INVALID_HANDLE_VALUE) {
        ReportInternetError(GetLastError(), "FindFirstFile", -1);
        continue;
      }
      FindClose(find);
      item.fileTime = data.ftLastWriteTime;
      item.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
      item.kind = static_cast<int>(data.dwFileAttributes);
    }
  }
  auto* job = new EngineJob();
  if (!CopyTextWhole(job->resultPath, destinationFolder ? destinationFolder : "")) {
    ReportInternetError(ERROR_FILENAME_EXCED_RANGE, "StartTransfer", -1);
    delete job;
    return false;
  }
  job->direction = direction;
  CopyText(job->filterMask, Options().paneFilter);
  job->flags = flags | (gCurrent.record.overwriteWithoutAsking ? kTransferOverwrite : 0);
  job->transferList = std::make_unique<std::vector<TransferItem>>(std::move(selection));
  if (!StartJob(TransferSelectionJob, job)) {
    FreeJob(job);
    return false;
  }
  return true;
}

bool UploadFile(const char* remotePath, const char* localFile) {
  if (!IsConnected()) return false;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(localFile, &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  TransferItem item = {};
  if (!CopyTextWhole(item.source, localFile)) return false;
  // The copy may carry a number ("a2.txt") to keep it apart from other
  // copies; it goes back over the file it was made from.
  if (!CopyTextWhole(item.destination, BaseName(remotePath))) return false;
  item.fileTime = data.ftLastWriteTime;
  item.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  item.kind = static_cast<int>(data.dwFileAttributes);
  std::string folder = ParentPath(remotePath, '/');
  return StartTransfer(folder.c_str(), 1, kTransferReplaceQuietly | kTransferRestartWatch,
                       std::vector<TransferItem>{item});
}

bool StartSynchronize(const char* localFolder, const char* serverFolder) {
  auto* job = new EngineJob();
  if (!CopyTextWhole(job->directory, localFolder) || !CopyTextWhole(job->resultPath, serverFolder)) {
    delete job;
    return false;
  }
  gStartTick = GetTickCount();
  ClearCancelRequest();
  job->direction = 1;
  CopyText(job->filterMask, Options().paneFilter);
  if (!StartJob(SynchronizeJob, job)) {
    FreeJob(job);
    return false;
  }
  return true;
}

bool RunReviewedList(EngineJob* job) {
  if (!job || !job->transferList || job->transferList->empty()) return false;
  gStartTick = GetTickCount();
  ClearCancelRequest();
  job->direction = 1;
  if (job->thread) {
    CloseHandle(job->thread);
    job->thread = nullptr;
  }
  SetProgressTitle(kTitleUpload);
  SetProgressTotal(static_cast<int>(job->transferList->size()));
  ShowProgressWindow(false);
  return StartJob(ExecuteTransferListJob, job);
}
