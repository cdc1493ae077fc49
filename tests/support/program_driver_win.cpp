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

bool RunUnixProgram(const std::string& commandLine) {
  // Wine starts Unix programs given by their Unix path, but its wait does
  // not follow them: the shell leaves a file behind when the program is
  // done, and that is what is waited for.
  static int counter = 0;
  const std::string marker =
      "/tmp/vorto-ui-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + ".done";
  std::string command = "/bin/sh -c \"" + commandLine + "; touch " + marker + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  std::string windowsMarker = "Z:" + marker;
  for (char& c : windowsMarker)
    if (c == '/') c = '\\';
  bool done = WaitUntil([&] { return GetFileAttributesA(windowsMarker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000);
  DeleteFileA(windowsMarker.c_str());
  return done;
}

HWND FocusOf(const RunningProgram& program) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(program.process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

bool Xdotool(const std::string& arguments) {
  if (!RunUnixProgram("/usr/bin/xdotool " + arguments)) return false;
  // The events reach the program through the X server and its queue.
  Sleep(200);
  return true;
}

void TakeScreenshot(const std::string& name) {
  char folder[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VORTO_SHOT_DIR", folder, sizeof folder);
  if (n == 0 || n >= sizeof folder) return;
  RunUnixProgram("/usr/bin/import -window root " + std::string(folder) + "/" + name);
}

bool ClickAt(int x, int y) {
  return Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

bool PressKeys(const std::string& keys) { return Xdotool("key --delay 80 " + keys); }

POINT WindowCentre(HWND window) {
  RECT rc = {};
  GetWindowRect(window, &rc);
  return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

bool RemoteRect(const RunningProgram& program, HWND window, UINT message, WPARAM wParam, RECT& out, LONG seed) {
  void* remote = VirtualAllocEx(program.process.hProcess, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return false;
  RECT in = {seed, 0, 0, 0};
  bool ok = WriteProcessMemory(program.process.hProcess, remote, &in, sizeof in, nullptr) &&
            SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(remote)) != 0 &&
            ReadProcessMemory(program.process.hProcess, remote, &out, sizeof out, nullptr);
  VirtualFreeEx(program.process.hProcess, remote, 0, MEM_RELEASE);
  return ok;
}
