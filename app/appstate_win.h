// Process-wide state owned by the main window: the internet session, the
// resource library, the windows and the command line. Touched only on the
// user-interface thread.
#ifndef VORTO_APP_APPSTATE_WIN_H
#define VORTO_APP_APPSTATE_WIN_H

#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <vector>

#include "app/cmdline.h"
#include "base/tools_win.h"

constexpr const char kAppTitle[] = "Vorto";
constexpr const char kResourceLibrary[] = "vortores.dll";
constexpr const char kMainClass[] = "VortoMainFrame";
constexpr const char kLocalPaneClass[] = "VortoLocalFrame";
constexpr const char kServerPaneClass[] = "VortoServerFrame";

// Private messages of the main window.
constexpr UINT WM_JOB_DONE = WM_USER + 256;
constexpr UINT WM_SETTINGS_CHANGED = WM_USER + 274;
constexpr UINT WM_CONNECTION_LOST = WM_USER + 275;
constexpr UINT WM_CONNECTION_COUNT = WM_USER + 276;
constexpr UINT WM_LOGIN_REFUSED = WM_USER + 277;
constexpr UINT WM_SECURE_INDICATOR = WM_USER + 279;

// Timers of the main window.
constexpr UINT_PTR kTimerFirstShow = 1;
constexpr UINT_PTR kTimerEditorWatch = 10;
constexpr UINT_PTR kTimerCloseDeadline = 11;

struct AppState {
  HINSTANCE instance = nullptr;
  HINTERNET internet = nullptr;
  HINSTANCE resources = nullptr;
  char helpPath[MAX_PATH] = {};
  char tempDir[MAX_PATH] = {};
  DWORD commonControlsVersion = 0x00040000;
  HWND mainWindow = nullptr;
  HWND localPane = nullptr;
  HWND serverPane = nullptr;
  HWND activePane = nullptr;
  HWND statusBar = nullptr;
  HWND rebar = nullptr;
  HWND progressWindow = nullptr;
  HIMAGELIST toolbarImages = nullptr;  // command and tools toolbars: normal, hot, disabled
  HIMAGELIST hotToolbarImages = nullptr;
  HIMAGELIST disabledToolbarImages = nullptr;
  HIMAGELIST statusImages = nullptr;  // rows of the progress window: 1 error, 2 busy, 3 closed, 4 idle
  HIMAGELIST smallSystemImages = nullptr;
  HIMAGELIST largeSystemImages = nullptr;
  int folderIcon = 0;
  int fileIcon = 0;
  int splitter = 0;
  HACCEL fullAccelerators = nullptr;
  HACCEL reducedAccelerators = nullptr;
  bool acceleratorsSuspended = false;
  std::vector<ACCEL> shortcuts;
  std::vector<ExternalTool> tools;
  CommandLine commandLine;

  // Pane filters and progress window option read at start.
  bool hideSystemLocal = false;
  bool hideHiddenLocal = false;
  bool hideHiddenServer = false;
  char paneFilter[260] = {};  // file name mask of the filter box; empty shows all
  bool autoShowProgress = true;

  // Program-wide toggles.
  int transferMode = 0;
  bool syncBrowsing = false;
  bool barsShown = true;
  bool statusBarShown = true;

  // Engine-facing counters, changed on this thread only.
  int runningJobs = 0;
  int openConnections = 0;
  int selectedItems = 0;  // in the active pane
  bool closing = false;
};

extern AppState gApp;

#endif
