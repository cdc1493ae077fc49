// The connection workers: one thread and one server connection each. A job
// hands a worker a request through three manual-reset events (idle, done,
// request) and the slot's lock.
#include <winsock2.h>
#include <objbase.h>
#include <process.h>

#include <cstring>

#include "app/appstate_win.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/progressapi_win.h"
#include "profiles/current_win.h"

namespace {
struct EngineState {
  WorkerSlot* slots = nullptr;  // kMaxWorkers, allocated while connected
  HANDLE threads[kMaxWorkers] = {};
  HANDLE idle[kMaxWorkers] = {};
  HANDLE done[kMaxWorkers] = {};
  HANDLE request[kMaxWorkers] = {};
  int count = 0;
  volatile LONG started = 0;
  volatile LONG connected = 0;
  int nextWorker = 0;
};
EngineState gEngine;

DWORD gKeepAliveMs = 30000;
bool gResizePending = false;

int ClampedConnections() {
  ServerProfile& p = gCurrent.record;
  if (p.connections > kMaxWorkers) p.connections = kMaxWorkers;
  if (p.connections < 1) p.connections = 1;  // a pool without workers could never connect
  if (p.sftp) p.connections = 1;
  return p.connections;
}

// Connection aborted, reset, or the FTP connection dropped. Some systems'
// internet library passes the socket's own reset codes through instead of
// its 12030/12031, so those count too.
bool DroppedConnection(int code) {
  return code == 12030 || code == 12031 || code == 12111 || code == WSAECONNRESET || code == WSAECONNABORTED ||
         code == WSAESHUTDOWN;
}

unsigned __stdcall WorkerThread(void* argument) {
  WorkerSlot& slot = *static_cast<WorkerSlot*>(argument);
  LONG startedNumber = InterlockedIncrement(&gEngine.started);
  if (FAILED(CoInitialize(nullptr))) {
    SetEvent(slot.startedEvent);
    SetEvent(slot.doneEvent);
    return static_cast<unsigned>(-1);
  }
  EnterCriticalSection(&slot.lock);
  slot.isSftp = gCurrent.record.sftp ? 1 : 0;
  int result = ConnectWorker(slot);
  LeaveCriticalSection(&slot.lock);
  SetEvent(slot.startedEvent);

  if (result != 0) {
    // The last worker to give up wakes a job that waits for an idle one,
    // so it can see that nobody is connected.
    if (startedNumber >= gEngine.count && ConnectedWorkers() <= 0) SetEvent(slot.idleEvent);
    ShowWorkerClosed(slot.index);
    InterlockedExchange(&slot.quit, 1);
    SetEvent(slot.doneEvent);
    CoUninitialize();
    return static_cast<unsigned>(result);
  }
  ConnectedCountChanged(+1);
  SetEvent(slot.doneEvent);

  bool quitRequested = false;
  for (;;) {
    SetEvent(slot.idleEvent);
    ShowWorkerIdle(slot.index);
    const bool keepAlive = gCurrent.record.keepAlive && gCurrent.record.keepAliveCommand[0] && !slot.isSftp;
    DWORD wait;
    for (;;) {
      wait = WaitForSingleObject(slot.requestEvent, keepAlive ? gKeepAliveMs : INFINITE);
      if (wait != WAIT_TIMEOUT) break;
      int code = SendKeepAlive(slot);
      if (DroppedConnection(code) && ReconnectWorker(slot) != 0) break;
    }
    if (wait != WAIT_OBJECT_0) break;
    ResetEvent(slot.requestEvent);
    if (slot.quit) {
      DisconnectWorker(slot);
      ConnectedCountChanged(-1);
      quitRequested = true;
      break;
    }
    result = RunOperation(slot);
    if (slot.resultSlot) *slot.resultSlot = result;
    SetEvent(slot.doneEvent);
    if (result == 12029 || result == 12030) {
      EnterCriticalSection(&slot.lock);
      if (slot.connection) InternetCloseHandle(slot.connection);
      slot.connection = nullptr;
      LeaveCriticalSection(&slot.lock);
      ConnectedCountChanged(-1);
      break;
    }
    if (result != 12030 && DroppedConnection(result) && !slot.isSftp) {
      if (ReconnectWorker(slot) != 0) break;
    }
  }

  LONG previousQuit = InterlockedExchange(&slot.quit, 1);
  if (slot.isSftp) {
    slot.session = nullptr;
    PostMessageA(MainWindow(), WM_SECURE_INDICATOR, 0, 0);
  }
  int connectedNow = ConnectedWorkers();
  if (connectedNow <= 0) SetEvent(slot.idleEvent);
  ShowWorkerClosed(slot.index);
  SetEvent(slot.doneEvent);
  CoUninitialize();
  if (connectedNow <= 0 && !previousQuit && !quitRequested) PostMessageA(MainWindow(), WM_CONNECTION_LOST, 0, 0);
  return 0;
}

bool StartWorker(int i) {
  WorkerSlot& slot = gEngine.slots[i];
  slot.index = i;
  slot.idleEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  slot.doneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  slot.requestEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  slot.startedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  InitializeCriticalSection(&slot.lock);
  slot.lockReady = true;
  gEngine.idle[i] = slot.idleEvent;
  gEngine.done[i] = slot.doneEvent;
  gEngine.request[i] = slot.requestEvent;
  uintptr_t thread = _beginthreadex(nullptr, 0, WorkerThread, &slot, 0, nullptr);
  if (!thread) return false;
  gEngine.threads[i] = reinterpret_cast<HANDLE>(thread);
  return true;
}

void CloseSlot(int i) {
  WorkerSlot& slot = gEngine.slots[i];
  for (HANDLE h : {slot.idleEvent, slot.doneEvent, slot.requestEvent, slot.startedEvent})
    if (h) CloseHandle(h);
  if (gEngine.threads[i]) CloseHandle(gEngine.threads[i]);
  if (slot.lockReady) DeleteCriticalSection(&slot.lock);
  std::memset(&slot, 0, sizeof slot);
  gEngine.threads[i] = gEngine.idle[i] = gEngine.done[i] = gEngine.request[i] = nullptr;
}
}  // namespace

int WorkerCount() { return gEngine.count; }

int BusyWorkers() {
  int busy = 0;
  for (int i = 0; i < gEngine.count; ++i)
    if (gEngine.idle[i] && WaitForSingleObject(gEngine.idle[i], 0) != WAIT_OBJECT_0) ++busy;
  return busy;
}
int ConnectedWorkers() { return static_cast<int>(InterlockedCompareExchange(&gEngine.connected, 0, 0)); }
bool IsConnected() { return gEngine.count > 0 && gEngine.threads[0] != nullptr; }

void ConnectedCountChanged(int delta) {
  LONG now = delta > 0 ? InterlockedIncrement(&gEngine.connected) : InterlockedDecrement(&gEngine.connected);
  if (MainWindow()) PostMessageA(MainWindow(), WM_CONNECTION_COUNT, 2, now);
}

int StartWorkers() {
  if (gEngine.slots) return gEngine.count;
  int count = ClampedConnections();
  gEngine.started = 0;
  gEngine.connected = 0;
  gEngine.nextWorker = 0;
  gEngine.slots = static_cast<WorkerSlot*>(std::calloc(kMaxWorkers, sizeof(WorkerSlot)));
  if (!gEngine.slots) return 0;
  gEngine.count = count;
  SetWorkerCount(count);
  for (int i = 0; i < count; ++i) {
    if (!StartWorker(i)) {
      CloseSlot(i);
      gEngine.count = i;
      SetWorkerCount(i);
      break;
    }
  }
  return gEngine.count;
}

void SetKeepAliveInterval(DWORD milliseconds) { gKeepAliveMs = milliseconds ? milliseconds : 30000; }

void ApplyPendingResize() {
  if (gResizePending && ActiveJobs() == 0) {
    gResizePending = false;
    ResizeWorkers();
  }
}

void ResizeWorkers() {
  if (!gEngine.slots) return;
  // Stopping a worker waits for it, and a worker may be waiting for this
  // thread while a job runs: resize once no job runs.
  if (ActiveJobs() > 0) {
    gResizePending = true;
    return;
  }
  int wanted = ClampedConnections();
  int old = gEngine.count;
  if (wanted > old) {
    gEngine.count = wanted;
    for (int i = old; i < wanted; ++i) {
      if (!StartWorker(i)) {
        CloseSlot(i);
        gEngine.count = i;
        break;
      }
    }
  } else {
    for (int i = old - 1; i >= wanted; --i) StopWorker(i);
    gEngine.count = wanted;
  }
  SetWorkerCount(gEngine.count);
}

void StopWorker(int i) {
  if (!gEngine.slots || i < 0 || i >= kMaxWorkers) return;
  WorkerSlot& slot = gEngine.slots[i];
  if (!slot.lockReady) return;
  EnterCriticalSection(&slot.lock);
  bool open = slot.connection || slot.session;
  LeaveCriticalSection(&slot.lock);
  if (open) {
    WaitForSingleObject(slot.idleEvent, INFINITE);
    InterlockedExchange(&slot.quit, 1);
    SetEvent(slot.requestEvent);
  }
  if (gEngine.threads[i]) WaitForSingleObject(gEngine.threads[i], INFINITE);
  CloseSlot(i);
}

void StopAllWorkers() {
  if (!gEngine.slots) return;
  for (int i = 0; i < gEngine.count; ++i) StopWorker(i);
  gEngine.count = 0;
  std::free(gEngine.slots);
  gEngine.slots = nullptr;
  SetWorkerCount(0);
}

int AcquireIdleWorker(int* error) {
  *error = 0;
  if (IsCancelRequested() || gEngine.count <= 0) return -1;
  for (;;) {
    if (gEngine.nextWorker >= gEngine.count) gEngine.nextWorker = 0;
    DWORD result = WAIT_OBJECT_0 + static_cast<DWORD>(gEngine.nextWorker);
    if (WaitForSingleObject(gEngine.idle[gEngine.nextWorker], 0) != WAIT_OBJECT_0)
      result = WaitForMultipleObjects(static_cast<DWORD>(gEngine.count), gEngine.idle, FALSE, 1000);
    if (result < WAIT_OBJECT_0 + static_cast<DWORD>(gEngine.count)) gEngine.nextWorker = static_cast<int>(result) + 1;
    if (IsCancelRequested()) return -1;
    if (result < WAIT_OBJECT_0 + static_cast<DWORD>(gEngine.count))
      return ConnectedWorkers() >= 1 ? static_cast<int>(result - WAIT_OBJECT_0) : -1;
    if (result == WAIT_TIMEOUT) continue;
    *error = static_cast<int>(GetLastError());
    ReportInternetError(static_cast<DWORD>(*error), "WaitForMultipleObjects", -1);
    return -1;
  }
}

int Dispatch(const EngineRequest& request, int operation, bool wait) { return DispatchTo(request, operation, wait, nullptr); }

int DispatchTracked(const EngineRequest& request, int operation, int* result) {
  return DispatchTo(request, operation, false, result);
}

int DispatchTo(const EngineRequest& request, int operation, bool wait, int* tracked) {
  int error = 0;
  int index = AcquireIdleWorker(&error);
  if (index < 0) return error;
  WorkerSlot& slot = gEngine.slots[index];
  // Without a wait the result goes to the worker's own slot, which lives
  // as long as the worker; the job only hears about it through reports.
  static int ignoredResults[kMaxWorkers];
  int result = 0;
  // A path that does not fit its field fails here: cut, it would name
  // another file.
  const char* a = request.pathA ? request.pathA : "";
  const char* b = request.pathB ? request.pathB : "";
  if (strnlen(a, sizeof slot.pathA) >= sizeof slot.pathA || strnlen(b, sizeof slot.pathB) >= sizeof slot.pathB) {
    ReportInternetError(ERROR_FILENAME_EXCED_RANGE, "Dispatch", index);
    return ERROR_FILENAME_EXCED_RANGE;
  }
  EnterCriticalSection(&slot.lock);
  if (!slot.connection && !slot.session) {
    // A worker without a connection cannot run anything: that is a
    // failure of the request, not a success.
    LeaveCriticalSection(&slot.lock);
    return ERROR_NOT_CONNECTED;
  }
  slot.remote = request.remote;
  slot.quiet = request.quiet;
  CopyText(slot.pathA, a);
  CopyText(slot.pathB, b);
  slot.size = request.size;
  slot.flags = request.flags;
  slot.list = request.list;
  slot.outputBuffer = request.outputBuffer;
  slot.fileTime = request.fileTime;
  slot.operation = operation;
  slot.resultSlot = wait ? &result : tracked ? tracked : &ignoredResults[index];
  LeaveCriticalSection(&slot.lock);
  ResetEvent(slot.idleEvent);
  ResetEvent(slot.doneEvent);
  SetEvent(slot.requestEvent);
  if (!wait) return 0;
  WaitForSingleObject(slot.doneEvent, INFINITE);
  return result;
}

void WaitForWorker(int index) {
  if (index >= 0 && index < gEngine.count) WaitForSingleObject(gEngine.done[index], INFINITE);
}

void WaitForAllWorkers() {
  if (gEngine.count > 0) WaitForMultipleObjects(static_cast<DWORD>(gEngine.count), gEngine.done, TRUE, INFINITE);
}

void CALLBACK EngineStatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  // Transfer progress is counted in the copy loops: this library reports
  // no data bytes here on every system, and counting twice would overshoot.
  (void)context;
  (void)status;
  (void)info;
  (void)length;
}
