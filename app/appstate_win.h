// State only the main window and its bars touch: its child windows, the
// splitter, the accelerator tables, the tools and the command line.
// Touched only on the user-interface thread. What the lower layers share
// lives with its owner (base/program_win, base/useroptions, the panes, the
// engine).
#ifndef VORTO_APP_APPSTATE_WIN_H
#define VORTO_APP_APPSTATE_WIN_H

#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <vector>

#include "app/cmdline.h"
#include "base/program_win.h"
#include "base/tools_win.h"
#include "base/useroptions.h"

constexpr const char kMainClass[] = "VortoMainFrame";

// Timers of the main window.
constexpr UINT_PTR kTimerFirstShow = 1;
constexpr UINT_PTR kTimerEditorWatch = 10;
constexpr UINT_PTR kTimerCloseDeadline = 11;

struct AppState {
  HWND statusBar = nullptr;
  HWND rebar = nullptr;
  HWND progressWindow = nullptr;
  int splitter = 0;
  HACCEL fullAccelerators = nullptr;
  HACCEL reducedAccelerators = nullptr;
  bool acceleratorsSuspended = false;
  std::vector<ACCEL> shortcuts;
  std::vector<ExternalTool> tools;
  CommandLine commandLine;

  // Program-wide toggles.
  bool barsShown = true;
  bool statusBarShown = true;

  // Counters shown in the status bar.
  int openConnections = 0;
  bool closing = false;
};

extern AppState gApp;

#endif
