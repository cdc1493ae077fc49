// What engine threads call to show progress. Safe from any thread: texts
// are sent (the caller waits until they are shown), per-file progress and
// the worker-closed state are posted.
#ifndef VORTO_ENGINE_PROGRESSAPI_WIN_H
#define VORTO_ENGINE_PROGRESSAPI_WIN_H

#include <windows.h>

void ShowWorkerStatus(int worker, UINT stringId, const char* path);
void ShowWorkerIdle(int worker);
void ShowWorkerClosed(int worker);
void ShowWorkerProgress(int worker, int percent, DWORD remainingMs);
void ShowWorkerSpeed(int worker, DWORD bytesPerSecond);
void SetWorkerCount(int count);

void ShowProgressWindow(bool noActivate);
// Tells the window an action started without showing it.
void MarkProgressBusy();
void EndProgress();
void SetProgressTitle(UINT stringId);
void SetProgressTotal(int total);
void AddProgressTotal(int count);
void SetProgressItem(const char* text, bool count);

// The cancel request of the running action, shared with the engine.
bool IsCancelRequested();
void RequestCancel();
void ClearCancelRequest();

// Whether an error was reported during the current action.
bool ErrorReportedDuringAction();
void SetErrorReported(bool reported);

// Sends to a progress window, never blocking for good: a window that is
// gone, or a user-interface thread that does not answer within a long
// grace period, drops the message instead of hanging the sender.
LRESULT SendToProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
