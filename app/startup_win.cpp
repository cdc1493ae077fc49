#include "app/startup_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

#include "app/appstate_win.h"
#include "app/bars_win.h"
#include "app/quickbar_win.h"
#include "base/help_win.h"
#include "app/keymap_win.h"
#include "base/libreg_win.h"
#include "app/mainframe_win.h"
#include "base/msgbox_win.h"
#include "base/shellimages_win.h"
#include "base/textbuf.h"
#include "base/tools_win.h"
#include "engine/engine_win.h"
#include "panes/frame_win.h"
#include "panes/panes_win.h"
#include "profiles/current_win.h"
#include "res/resource.h"

AppState gApp;

namespace {
// Folder of the running program, with a trailing backslash.
bool ProgramFolder(char (&folder)[MAX_PATH]) {
  DWORD n = GetModuleFileNameA(nullptr, folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  char* slash = std::strrchr(folder, '\\');
  if (!slash) return false;
  slash[1] = '\0';
  return true;
}

bool LoadResourceLibrary() {
  char folder[MAX_PATH], path[MAX_PATH];
  if (ProgramFolder(folder) && snprintf(path, sizeof path, "%s%s", folder, kResourceLibrary) < MAX_PATH)
    SetResourceLibrary(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!ResourceLibrary()) {
    char text[MAX_PATH + 32];
    snprintf(text, sizeof text, "Cannot find %s.", kResourceLibrary);
    MessageBoxA(nullptr, text, kAppTitle, MB_OK | MB_ICONERROR);
    return false;
  }
  char helpFile[MAX_PATH];
  if (ProgramFolder(folder) && snprintf(helpFile, sizeof helpFile, "%sVorto.chm", folder) < MAX_PATH)
    SetHelpFile(helpFile);
  return true;
}

void InitCommonControlsAndVersion() {
  if (HMODULE comctl = GetModuleHandleA("comctl32.dll")) {
    auto getVersion = reinterpret_cast<HRESULT(CALLBACK*)(DLLVERSIONINFO*)>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (getVersion && SUCCEEDED(getVersion(&info)))
      SetCommonControlsVersion((info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF));
  }
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES |
                                              ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

void ReadStartupSettings() {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  Options().hideSystemLocal = RegReadInt(key, "HideSystemL", 0) != 0;
  Options().hideHiddenLocal = RegReadInt(key, "HideHiddenL", 0) != 0;
  Options().hideHiddenServer = RegReadInt(key, "HideHiddenS", 0) != 0;
  Options().autoShowProgress = RegReadInt(key, "AutoShowProgress", 1) != 0;
  if (key) RegCloseKey(key);
}

constexpr DWORD kEngineIdleWaitMs = 500;

bool WaitUntilEngineIdle(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (ActiveJobs() > 0 || WorkerCount() > 0) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool FocusIsIn(HWND container) {
  HWND focus = GetFocus();
  return container && focus && (focus == container || IsChild(container, focus));
}

// The focus is in a text field: a pane's label editor or address box, the
// filter box, or an edit field of a dialog.
bool FocusInTextField() {
  HWND focus = GetFocus();
  char cls[16];
  return focus && GetClassNameA(focus, cls, sizeof cls) && lstrcmpiA(cls, "Edit") == 0;
}

// Keys that a text field uses for editing: typing, Backspace and Delete,
// the caret keys, and the clipboard and undo keys. F-keys, Alt combinations
// and other Control combinations stay shortcuts.
bool KeyEditsText(const MSG& msg) {
  if (msg.message == WM_CHAR) return true;
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  if (GetKeyState(VK_MENU) < 0) return false;
  const WPARAM key = msg.wParam;
  if (GetKeyState(VK_CONTROL) < 0) {
    switch (key) {
      case 'A': case 'C': case 'V': case 'X': case 'Y': case 'Z':
      case VK_INSERT: case VK_BACK: case VK_DELETE:
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
        return true;
    }
    return false;
  }
  return !(key >= VK_F1 && key <= VK_F24);
}

bool PaneEditsLabel() {
  CFrame* pane = ActiveFrame();
  return pane && pane->labelEditing;
}

void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    HWND active = GetActiveWindow();
    if (gApp.progressWindow && active == gApp.progressWindow && IsDialogMessageA(gApp.progressWindow, &msg))
      continue;
    HWND quickBar = QuickConnectBar();
    if (quickBar && FocusIsIn(quickBar) && IsDialogMessageA(quickBar, &msg)) continue;
    if (!gApp.acceleratorsSuspended && MainWindow() && (gApp.fullAccelerators || gApp.reducedAccelerators)) {
      // While text is typed (a label being renamed, the filter box, an
      // address box) only the reduced set of shortcuts applies, and never
      // to the keys that edit the text.
      HWND filterBox = gApp.rebar ? GetDlgItem(gApp.rebar, IDC_FILTER_BAND) : nullptr;
      const bool typing = FocusIsIn(filterBox) || PaneEditsLabel() || FocusInTextField();
      HACCEL table = typing ? gApp.reducedAccelerators : gApp.fullAccelerators;
      if (table && !(typing && KeyEditsText(msg)) && TranslateAcceleratorA(MainWindow(), table, &msg)) continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
}  // namespace

int RunVorto(HINSTANCE instance, int showCmd) {
  SetProgramInstance(instance);
  SetInternetSession(InternetOpenA(kAppTitle, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!InternetSession()) return 0;
  InternetSetStatusCallbackA(InternetSession(), EngineStatusCallback);

  // The resource library is loaded before the main class so the class gets
  // the program icon.
  if (!LoadResourceLibrary()) return 0;
  if (!RegisterMainClass(instance) || !RegisterPaneClasses(instance)) return 0;
  InitCommonControlsAndVersion();
  if (FAILED(OleInitialize(nullptr))) return 0;

  ReadStartupSettings();
  gApp.tools = LoadToolList();
  gApp.shortcuts = LoadShortcuts(gApp.tools);
  BuildAcceleratorTables();
  LoadShellImages();

  std::vector<std::string> tokens = SplitCommandLine(SkipProgramName(GetCommandLineA()));
  gApp.commandLine = ParseCommandLine(tokens);
  if (gApp.commandLine.mode == kCmdProfile || gApp.commandLine.profile[0])
    CopyText(gCurrent.name, gApp.commandLine.profile);

  if (!CreateMainWindow(showCmd)) return 0;
  if (gApp.commandLine.help) SendMessageA(MainWindow(), WM_COMMAND, CMD_HELP_CONTENTS, 0);

  RunMessageLoop();

  // A job or worker still running (the close deadline passed, or the
  // session ended) would race the teardown of the program's state: give it
  // a moment, then end the process without that teardown.
  if (!WaitUntilEngineIdle(kEngineIdleWaitMs)) ExitProcess(0);

  InternetCloseHandle(InternetSession());
  SetInternetSession(nullptr);
  gApp.shortcuts.clear();
  DestroyAcceleratorTables();
  OleUninitialize();
  UnloadHelp();
  FreeLibrary(ResourceLibrary());
  SetResourceLibrary(nullptr);
  return 0;
}
