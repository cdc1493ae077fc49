#include "support/program_driver_win.h"

#include <commctrl.h>

#include <cstring>

std::string ProgramPath() {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VORTO_EXE", path, sizeof path);
  if (n > 0 && n < sizeof path) return path;
  n = GetModuleFileNameA(nullptr, path, sizeof path);
  char* slash = std::strrchr(path, '\\');
  if (!slash) return "vorto.exe";
  std::strcpy(slash + 1, "vorto.exe");
  return path;
}

namespace {
struct FindData {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  auto* data = reinterpret_cast<FindData*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid == data->processId && std::strcmp(cls, "VortoMainFrame") == 0) {
    data->found = window;
    return FALSE;
  }
  return TRUE;
}

struct FindTitleData {
  DWORD processId;
  const char* title;
  HWND found;
};

BOOL CALLBACK FindTitledWindow(HWND window, LPARAM param) {
  auto* data = reinterpret_cast<FindTitleData*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char text[128] = {};
  GetWindowTextA(window, text, sizeof text);
  if (pid == data->processId && IsWindowVisible(window) && std::strcmp(text, data->title) == 0) {
    data->found = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindProgramWindow(const RunningProgram& program, const char* title, DWORD timeoutMs) {
  FindTitleData data = {program.process.dwProcessId, title, nullptr};
  WaitUntil([&] {
    EnumWindows(FindTitledWindow, reinterpret_cast<LPARAM>(&data));
    return data.found != nullptr;
  }, timeoutMs);
  return data.found;
}

bool StartProgram(const std::string& arguments, RunningProgram& program, DWORD timeoutMs) {
  std::string exe = ProgramPath();
  std::string commandLine = "\"" + exe + "\" " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &program.process))
    return false;
  FindData data = {program.process.dwProcessId, nullptr};
  bool shown = WaitUntil(
      [&] {
        data.found = nullptr;
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&data));
        return data.found && IsWindowVisible(data.found);
      },
      timeoutMs);
  program.mainWindow = data.found;
  return shown;
}

bool WaitForExit(RunningProgram& program, DWORD timeoutMs) {
  if (!program.process.hProcess) return true;
  bool ended = WaitForSingleObject(program.process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(program.process.hProcess, 1);
  WaitForSingleObject(program.process.hProcess, 5000);
  CloseHandle(program.process.hProcess);
  CloseHandle(program.process.hThread);
  program.process = {};
  return ended;
}

void KillProgram(RunningProgram& program) {
  if (!program.process.hProcess) return;
  TerminateProcess(program.process.hProcess, 1);
  WaitForExit(program, 5000);
}

std::string WindowText(HWND window) {
  char text[512] = {};
  // WM_GETTEXT crosses processes for window captions.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return text;
}

std::string StatusBarPart(const RunningProgram& program, HWND statusBar, int part) {
  char text[256] = {};
  void* remote = VirtualAllocEx(program.process.hProcess, nullptr, sizeof text, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return "";
  // SB_GETTEXTLENGTH first: SB_GETTEXT has no buffer size.
  if (LOWORD(SendMessageA(statusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0)) < sizeof text) {
    SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(program.process.hProcess, remote, text, sizeof text - 1, nullptr);
  }
  VirtualFreeEx(program.process.hProcess, remote, 0, MEM_RELEASE);
  return text;
}

bool RunHostTool(const char* path, const std::string& arguments) {
  // Wine starts a host executable given by its drive-Z path directly, but
  // gives no handle to wait on: callers wait for what the tool does.
  std::string file = std::string("Z:") + path;
  for (char& c : file)
    if (c == '/') c = '\\';
  std::string line = std::string(path) + " " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(file.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  return true;
}

HWND FocusOf(const RunningProgram& program) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(program.process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

void ScreenshotIfAsked(const char* name) {
  char dir[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("VORTO_SCREENSHOTS", dir, sizeof dir)) return;
  const std::string unixPath = std::string(dir) + "/" + name + ".png";
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  DeleteFileA(path.c_str());
  if (!RunHostTool("/usr/bin/import", "-window root " + unixPath)) return;
  // Done when the file has stopped growing.
  LONGLONG last = -1;
  WaitUntil(
      [&] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
        const LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        const bool still = size > 0 && size == last;
        last = size;
        if (!still) Sleep(200);
        return still;
      },
      20000);
}
