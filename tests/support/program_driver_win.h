// Starts vorto.exe as a user would and finds its main window, so tests and
// the start-up benchmark can drive the real program by window messages.
#ifndef VORTO_TESTS_PROGRAM_DRIVER_WIN_H
#define VORTO_TESTS_PROGRAM_DRIVER_WIN_H

#include <windows.h>

#include <string>

struct RunningProgram {
  PROCESS_INFORMATION process = {};
  HWND mainWindow = nullptr;
};

// Path of vorto.exe: the VORTO_EXE environment variable, else beside the
// running test program.
std::string ProgramPath();

// Starts the program with `arguments` and waits up to `timeoutMs` for its
// visible main window. False when it did not appear.
bool StartProgram(const std::string& arguments, RunningProgram& program, DWORD timeoutMs = 20000);
// Waits for the process to end; kills it after `timeoutMs`. True when it
// ended by itself.
bool WaitForExit(RunningProgram& program, DWORD timeoutMs = 10000);
void KillProgram(RunningProgram& program);

std::string WindowText(HWND window);
// Waits until `predicate` holds, pumping nothing; polls every 20 ms.
template <typename F> bool WaitUntil(F predicate, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!predicate()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// The text of one part of the program's status bar, read from its memory.
std::string StatusBarPart(const RunningProgram& program, HWND statusBar, int part);

// A visible top-level window of the program with this exact title (a
// dialog it opened), waiting up to `timeoutMs`; null when none came.
HWND FindProgramWindow(const RunningProgram& program, const char* title, DWORD timeoutMs = 10000);

// The window that has the keyboard focus in the program's main thread.
HWND FocusOf(const RunningProgram& program);
// Real input through the X server the program runs on (xdotool), so that
// keys pass the program's message loop and its shortcut translation.
// Screen coordinates are the X display's. False when xdotool did not run.
bool Xdotool(const std::string& arguments);
// Runs a Unix program (its Unix path first) and waits for it.
bool RunUnixProgram(const std::string& commandLine);
// With VORTO_SHOT_DIR set (a Unix folder), saves the screen there as
// `name`; otherwise does nothing.
void TakeScreenshot(const std::string& name);
bool ClickAt(int x, int y);
bool PressKeys(const std::string& keys);  // e.g. "F2 BackSpace"
// Centre of a window on the screen.
POINT WindowCentre(HWND window);

// A message of another process's control that fills a RECT (RB_GETRECT,
// TB_GETITEMRECT, LVM_GETITEMRECT...), with `left` set to `seed` first.
bool RemoteRect(const RunningProgram& program, HWND window, UINT message, WPARAM wParam, RECT& out, LONG seed = 0);

#endif
