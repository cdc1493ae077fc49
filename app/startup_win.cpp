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
#include "base/textbuf.h"
#include "base/tools_win.h"
#include "engine/engine_win.h"
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
  if (ProgramFolder(folder)) snprintf(gApp.helpPath, sizeof gApp.helpPath, "%sVorto.chm", folder);
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

void LoadSystemImages() {
  DWORD n = GetTempPathA(sizeof TempFolder(), TempFolder());
  if (n == 0 || n >= sizeof TempFolder()) TempFolder()[0] = '\0';
  SHFILEINFOA info = {};
  ShellImages().smallIcons = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
  ShellImages().largeIcons = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES));
  if (SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
    ShellImages().folderIcon = info.iIcon;
  if (SHGetFileInfoA("file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
    ShellImages().fileIcon = info.iIcon;
}

bool FocusIsIn(HWND container) {
  HWND focus = GetFocus();
  return container && focus && (focus == container || IsChild(container, focus));
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
      HWND filterBox = gApp.rebar ? GetDlgItem(gApp.rebar, IDC_FILTER_BAND) : nullptr;
      HACCEL table = FocusIsIn(filterBox) ? gApp.reducedAccelerators : gApp.fullAccelerators;
      if (table && TranslateAcceleratorA(MainWindow(), table, &msg)) continue;
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
  LoadSystemImages();

  std::vector<std::string> tokens = SplitCommandLine(SkipProgramName(GetCommandLineA()));
  gApp.commandLine = ParseCommandLine(tokens);
  if (gApp.commandLine.mode == kCmdProfile || gApp.commandLine.profile[0])
    CopyText(gCurrent.name, gApp.commandLine.profile);

  if (!CreateMainWindow(showCmd)) return 0;
  if (gApp.commandLine.help) SendMessageA(MainWindow(), WM_COMMAND, CMD_HELP_CONTENTS, 0);

  RunMessageLoop();

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
