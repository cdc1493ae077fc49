// Posts a command to the running program's main window, as a menu click
// would (tools/screenshot.sh uses it to open dialogs for pictures).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HWND window = nullptr;
  for (int i = 0; i < 100 && !window; ++i) {
    window = FindWindowA("VortoMainFrame", nullptr);
    if (!window) Sleep(100);
  }
  if (!window) return 1;
  PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[1])), 0);
  return 0;
}
