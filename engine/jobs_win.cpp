// Jobs: one short-lived thread per user action. Each holds the named mutex
// "FtpMutex" while it hands requests to workers, and ends by telling the
// main window which refreshes and follow-ups its result needs.
#include <process.h>

#include <cstring>
#include <string>

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/progressapi_win.h"
#include "profiles/current_win.h"

namespace {
volatile LONG gActiveJobs = 0;

void Complete(EngineJob* job, uint32_t flags, JobMutex& mutex, bool send = false) {
  CompleteJob(job, flags, mutex, send);
}

EngineRequest Request(int remote, const char* a, const char* b) {
  EngineRequest r;
  r.remote = remote;
  r.pathA = a;
  r.pathB = b;
  return r;
}

int DeleteRecursive(const std::string& prefix, const std::vector<FileEntry>& entries) {
  for (const FileEntry& e : entries) {
    if (IsCancelRequested()) return ERROR_CANCELLED;
    std::string path = prefix.empty() ? std::string(e.name) : prefix + "/" + e.name;
    if (path.size() >= 260) continue;  // cannot be named on this connection
    if (e.attributes == kAttrDirectory) {
      std::vector<FileEntry> inner;
      EngineRequest list = Request(1, nullptr, path.c_str());
      list.list = &inner;
      int result = Dispatch(list, kOpList, true);
      if (result != 0) return result;
      if (!inner.empty()) {
        AddProgressTotal(static_cast<int>(inner.size()));
        result = DeleteRecursive(path, inner);
        if (result != 0) return result;
      }
    }
    int result = Dispatch(Request(1, nullptr, path.c_str()), e.attributes == kAttrDirectory ? kOpRemoveDirectory
                                                                                           : kOpDeleteFile, true);
    if (result != 0) return result;
  }
  return 0;
}
}  // namespace

JobMutex::JobMutex() : handle(CreateMutexA(nullptr, FALSE, "FtpMutex")) {
  if (handle) WaitForSingleObject(handle, INFINITE);
}

void JobMutex::Release() {
  if (handle) {
    ReleaseMutex(handle);
    CloseHandle(handle);
    handle = nullptr;
  }
}

void CompleteJob(EngineJob* job, uint32_t flags, JobMutex& mutex, bool send) {
  if (send)
    SendMessageA(MainWindow(), WM_JOB_DONE, reinterpret_cast<WPARAM>(job), flags);
  else
    PostMessageA(MainWindow(), WM_JOB_DONE, reinterpret_cast<WPARAM>(job), flags);
  mutex.Release();
}

int ActiveJobs() { return static_cast<int>(InterlockedCompareExchange(&gActiveJobs, 0, 0)); }

bool StartJob(JobFunction function, EngineJob* job) {
  uintptr_t thread = _beginthreadex(nullptr, 0, function, job, 0, nullptr);
  if (!thread) return false;
  job->thread = reinterpret_cast<HANDLE>(thread);
  InterlockedIncrement(&gActiveJobs);
  ++gApp.runningJobs;
  return true;
}

void JobCompleted() {
  InterlockedDecrement(&gActiveJobs);
  if (gApp.runningJobs > 0) --gApp.runningJobs;
}

void FreeJob(EngineJob* job) {
  if (!job) return;
  if (job->thread) CloseHandle(job->thread);
  job->items.reset();
  job->transferList.reset();
  job->names.reset();
  delete job;
}

unsigned __stdcall ConnectJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  int error = 0;
  int worker = AcquireIdleWorker(&error);
  if (worker < 0) {
    Complete(job, kDoneConnectFailed, mutex, true);
    return 0;
  }
  char initial[260] = {};
  if (gCurrent.record.rememberLastFolders) {
    HKEY key = OpenProfileKey(gCurrent.name, kKeyStartupRead);
    RegReadString(key, "LastServerDir", initial, sizeof initial, "");
    if (key) RegCloseKey(key);
  }
  if (!initial[0]) CopyText(initial, gCurrent.record.remoteFolder);
  EngineRequest r = Request(1, nullptr, initial);
  r.outputBuffer = job->resultPath;
  int result = Dispatch(r, initial[0] ? kOpChangeDirectory : kOpCurrentDirectory, true);
  if (result != 0 && initial[0]) result = Dispatch(r, kOpCurrentDirectory, true);
  SetSessionDirectory(job->resultPath);
  Complete(job, result == 0 || job->resultPath[0] ? kDoneConnected : kDoneConnectFailed, mutex, true);
  return 0;
}

unsigned __stdcall DisconnectJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  StopAllWorkers();
  SetSessionDirectory("");
  Complete(job, job->flags, mutex);
  return 0;
}

unsigned __stdcall ChangeDirectoryJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  EngineRequest r = Request(1, nullptr, job->directory);
  r.quiet = job->quiet;
  r.outputBuffer = job->resultPath;
  int result = Dispatch(r, kOpChangeDirectory, true);
  Complete(job, result == 0 ? 0x110000 : 0, mutex);
  return 0;
}

unsigned __stdcall RefreshListingJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  ShowProgressWindow(true);
  if (!job->items) job->items = std::make_unique<std::vector<FileEntry>>();
  EngineRequest r = Request(1, job->resultPath, job->directory);
  r.list = job->items;
  r.flags = job->flags;
  Dispatch(r, kOpList, true);
  Complete(job, kDoneTakeListing, mutex);
  return 0;
}

unsigned __stdcall DeleteJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  if (job->items) DeleteRecursive("", *job->items);
  WaitForAllWorkers();
  Complete(job, kDoneRefreshServer, mutex);
  return 0;
}

// Runs `operation` on each of the job's names on all workers at once.
static unsigned DispatchEachName(EngineJob* job, int operation) {
  JobMutex mutex;
  if (job->names)
    for (const std::string& name : *job->names) Dispatch(Request(1, nullptr, name.c_str()), operation, false);
  WaitForAllWorkers();
  Complete(job, kDoneRefreshServer, mutex);
  return 0;
}

unsigned __stdcall MakeDirectoriesJob(void* argument) {
  return DispatchEachName(static_cast<EngineJob*>(argument), kOpMakeDirectory);
}

unsigned __stdcall CreateFilesJob(void* argument) {
  return DispatchEachName(static_cast<EngineJob*>(argument), kOpCreateFile);
}

unsigned __stdcall RenameOrCopyJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  if (job->names) {
    const std::vector<std::string>& pairs = *job->names;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
      if (IsCancelRequested()) break;
      EngineRequest r = Request(1, pairs[i].c_str(), pairs[i + 1].c_str());
      r.flags = job->flags;
      Dispatch(r, kOpRenameOrCopy, true);
    }
  }
  Complete(job, kDoneRefreshServer, mutex);
  return 0;
}

unsigned __stdcall ChmodJob(void* argument) {
  auto* job = static_cast<EngineJob*>(argument);
  JobMutex mutex;
  if (job->names) {
    const std::vector<std::string>& pairs = *job->names;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
      if (Dispatch(Request(1, pairs[i].c_str(), pairs[i + 1].c_str()), kOpChmod, true) != 0) break;
  }
  Complete(job, job->resultPath[0] ? kDoneRenameAfterChmod : kDoneRefreshServer, mutex);
  return 0;
}
