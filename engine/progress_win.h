// The progress window: a modeless dialog created hidden at start-up that
// shows the running action, and a detail area with one row per connection
// worker and the list of error lines. Engine threads reach it only by the
// messages below (see progressapi_win.h for the helpers that send them).
#ifndef VORTO_ENGINE_PROGRESS_WIN_H
#define VORTO_ENGINE_PROGRESS_WIN_H

#include <windows.h>

// To the error page.
constexpr UINT PM_ERROR_LINE = 0x501;       // lParam text, or null to empty the list
// To the dialog.
constexpr UINT PM_ACTION = 0x502;           // wParam 1 start (clears cancel unless lParam 1), 0 end
constexpr UINT PM_ACTION_DONE = 0x508;      // end without error: hide unless keep-open
constexpr UINT PM_CURRENT_ITEM = 0x50D;     // wParam 1 count it; lParam text
constexpr UINT PM_TITLE = 0x50E;            // wParam string id or 0
constexpr UINT PM_ADD_TOTAL = 0x510;        // wParam n
constexpr UINT PM_SET_TOTAL = 0x511;        // wParam n: done = 0, total = n
constexpr UINT PM_REPORT = 0x51F;           // lParam text: a whole error report, on this thread
// To the worker list page.
constexpr UINT PM_WORKER_COUNT = 0x503;     // wParam count
constexpr UINT PM_WORKER_STATUS = 0x504;    // wParam worker, lParam text
constexpr UINT PM_WORKER_IDLE = 0x505;      // wParam worker
constexpr UINT PM_WORKER_CLOSED = 0x506;    // wParam worker (posted)
constexpr UINT PM_WORKER_PERCENT = 0x507;   // wParam (percent << 16) | worker, lParam remaining ms (posted)
constexpr UINT PM_WORKER_SPEED = 0x516;     // wParam worker, lParam bytes per second (posted)

// Window handles, written on the user-interface thread while the dialog
// is created or destroyed and read by the engine helpers.
struct ProgressWindows {
  HWND dialog;
  HWND sheet;
  HWND workerPage;
  HWND errorPage;
};
extern ProgressWindows gProgressWindows;

// `showActionText`, when given, also receives each title the window shows
// (the main window puts it into its status bar).
using ActionTextSink = void (*)(const char* text);
HWND CreateProgressWindow(HWND owner, ActionTextSink showActionText = nullptr);
void DestroyProgressWindow();
// The worker list's status images, kept for the program's lifetime.
void DestroyStatusImages();
// Shows the window with its worker list in front (main window command).
void ShowProgressWorkerList();
// Error page context menu commands, handled for the main window.
void CopyErrorLines();
void ClearErrorLines();

// Page procedures (progresspages_win.cpp).
INT_PTR CALLBACK WorkerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ErrorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Keeps a page's list view filling the page with its margins from creation.
void FitPageList(HWND page, int listId);

#endif
