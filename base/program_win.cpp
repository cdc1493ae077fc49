#include "base/program_win.h"

namespace {
struct ProgramHandles {
  HINSTANCE instance = nullptr;
  HINSTANCE resources = nullptr;
  HINTERNET internet = nullptr;
  HWND mainWindow = nullptr;
  DWORD commonControlsVersion = 0x00040000;
};
ProgramHandles gHandles;

struct TempFolderPath {
  char path[MAX_PATH] = {};
  TempFolderPath() {
    DWORD n = GetTempPathA(sizeof path, path);
    if (n == 0 || n >= sizeof path) path[0] = '\0';
  }
};
}  // namespace

HINSTANCE ProgramInstance() { return gHandles.instance; }
HINSTANCE ResourceLibrary() { return gHandles.resources; }
HINTERNET InternetSession() { return gHandles.internet; }
HWND MainWindow() { return gHandles.mainWindow; }
DWORD CommonControlsVersion() { return gHandles.commonControlsVersion; }

const char* TempFolder() {
  // Read once, on first use; the system's answer does not change while the
  // program runs.
  static const TempFolderPath folder;
  return folder.path;
}

void SetProgramInstance(HINSTANCE instance) { gHandles.instance = instance; }
void SetResourceLibrary(HINSTANCE library) { gHandles.resources = library; }
void SetInternetSession(HINTERNET session) { gHandles.internet = session; }
void SetMainWindow(HWND window) { gHandles.mainWindow = window; }
void SetCommonControlsVersion(DWORD version) { gHandles.commonControlsVersion = version; }
