#include "engine/progressapi_win.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "app/appstate_win.h"
#include "base/msgbox_win.h"
#include "engine/progress_win.h"
#include "engine/progresstext.h"

namespace {
std::atomic<bool> gCancelRequested{false};
std::atomic<bool> gErrorReported{false};

// A sender waits this long for the user-interface thread at most; it only
// runs out when that thread is stuck (for instance waiting on the sender).
constexpr UINT kSendTimeoutMs = 30000;

// Ids whose status does not count as an item done (listing, reading the
// current directory).
constexpr UINT kStatusListing = 278;
constexpr UINT kStatusCurrentDir = 289;

void PostToProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window) PostMessageA(window, message, wParam, lParam);
}
}  // namespace

LRESULT SendToProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window || !IsWindow(window)) return 0;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

bool IsCancelRequested() { return gCancelRequested.load(); }
void RequestCancel() { gCancelRequested.store(true); }
void ClearCancelRequest() { gCancelRequested.store(false); }
bool ErrorReportedDuringAction() { return gErrorReported.load(); }
void SetErrorReported(bool reported) { gErrorReported.store(reported); }

void ShowWorkerStatus(int worker, UINT stringId, const char* path) {
  std::string status = LoadResString(stringId);
  if (status.size() > 330) status.resize(330);
  char text[340];
  if (path)
    snprintf(text, sizeof text, "%s%s %s", WorkerRowPrefix(worker).c_str(), status.c_str(), path);
  else
    snprintf(text, sizeof text, "%s%s", WorkerRowPrefix(worker).c_str(), status.c_str());
  SendToProgress(gProgressWindows.workerPage, PM_WORKER_STATUS, static_cast<WPARAM>(worker),
                 reinterpret_cast<LPARAM>(text));
  if (path) SetProgressItem(path, stringId != kStatusListing && stringId != kStatusCurrentDir);
}

void ShowWorkerIdle(int worker) {
  SendToProgress(gProgressWindows.workerPage, PM_WORKER_IDLE, static_cast<WPARAM>(worker), 0);
}

void ShowWorkerClosed(int worker) {
  PostToProgress(gProgressWindows.workerPage, PM_WORKER_CLOSED, static_cast<WPARAM>(worker), 0);
}

void ShowWorkerProgress(int worker, int percent, DWORD remainingMs) {
  WPARAM w = (static_cast<WPARAM>(percent & 0xFFFF) << 16) | static_cast<WPARAM>(worker & 0xFFFF);
  PostToProgress(gProgressWindows.workerPage, PM_WORKER_PERCENT, w, static_cast<LPARAM>(remainingMs));
}

void ShowWorkerSpeed(int worker, DWORD bytesPerSecond) {
  PostToProgress(gProgressWindows.workerPage, PM_WORKER_SPEED, static_cast<WPARAM>(worker),
                 static_cast<LPARAM>(bytesPerSecond));
}

void SetWorkerCount(int count) {
  SendToProgress(gProgressWindows.workerPage, PM_WORKER_COUNT, static_cast<WPARAM>(count), 0);
}

void ShowProgressWindow(bool noActivate) {
  HWND dialog = gProgressWindows.dialog;
  if (!dialog || !Options().autoShowProgress) return;
  ShowWindow(dialog, noActivate ? SW_SHOWNOACTIVATE : SW_SHOW);
  SendToProgress(dialog, PM_ACTION, 1, 0);
}

void EndProgress() {
  if (!ErrorReportedDuringAction()) SendToProgress(gProgressWindows.dialog, PM_ACTION_DONE, 0, 0);
  SendToProgress(gProgressWindows.dialog, PM_ACTION, 0, 0);
}

void SetProgressTitle(UINT stringId) { SendToProgress(gProgressWindows.dialog, PM_TITLE, stringId, 0); }
void SetProgressTotal(int total) {
  SendToProgress(gProgressWindows.dialog, PM_SET_TOTAL, static_cast<WPARAM>(total), 0);
}
void AddProgressTotal(int count) {
  SendToProgress(gProgressWindows.dialog, PM_ADD_TOTAL, static_cast<WPARAM>(count), 0);
}
void SetProgressItem(const char* text, bool count) {
  SendToProgress(gProgressWindows.dialog, PM_CURRENT_ITEM, count ? 1 : 0, reinterpret_cast<LPARAM>(text));
}
