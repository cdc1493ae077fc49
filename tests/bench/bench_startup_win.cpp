// Start-up time of the real program: from process creation until its main
// window is visible, over several starts; prints each figure and the median.
// Given an FTP port, a server folder and its entry count as well, it then
// times starting with "/c" on a profile for that server until the server
// pane shows the folder's entries (on one connection, or as many as the
// sixth argument says).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "profiles/profilestore_win.h"
#include "res/resource.h"
#include "support/program_driver_win.h"

namespace {
constexpr int kRuns = 7;

double Milliseconds(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void PrintMedian(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%s: median %.1f ms over %d starts (min %.1f, max %.1f)\n", what, ms[ms.size() / 2],
              static_cast<int>(ms.size()), ms.front(), ms.back());
}

int ServerItemCount(HWND mainWindow) {
  HWND pane = GetDlgItem(mainWindow, IDC_SERVER_PANE);
  HWND list = pane ? FindWindowExA(pane, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
  return list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

bool SaveBenchProfile(int port, const char* folder, int connections) {
  ServerProfile p;
  SetDefaultProfile(p);
  std::strcpy(p.host, "127.0.0.1");
  p.anonymous = 1;
  p.passive = 1;
  p.connections = connections;
  p.ftpPort = port;
  lstrcpynA(p.remoteFolder, folder, sizeof p.remoteFolder);
  ProfileLists lists;
  SetDefaultLists(lists);
  return SaveProfile("bench-first-listing", p, lists);
}

// Start with /c until the server pane holds `entries` items.
int TimeFirstListing(int port, const char* folder, int entries, int connections) {
  if (!SaveBenchProfile(port, folder, connections)) {
    std::printf("first listing: could not store the profile\n");
    return 1;
  }
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    RunningProgram program;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    bool shown = StartProgram("/c bench-first-listing", program, 30000) &&
                 WaitUntil([&] { return ServerItemCount(program.mainWindow) >= entries; }, 30000);
    double elapsed = Milliseconds(start);
    if (!shown) {
      std::printf("first listing %d: the server pane did not show %d entries\n", i + 1, entries);
      KillProgram(program);
      return 1;
    }
    ms.push_back(elapsed);
    std::printf("first listing %d: %.1f ms\n", i + 1, elapsed);
    PostMessageA(program.mainWindow, WM_CLOSE, 0, 0);
    WaitForExit(program, 10000);
  }
  char what[120];
  snprintf(what, sizeof what, "start with /c to the first server listing shown (%d connection%s)", connections,
           connections == 1 ? "" : "s");
  PrintMedian(what, ms);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) SetEnvironmentVariableA("VORTO_EXE", argv[1]);
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    RunningProgram program;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    bool shown = StartProgram("", program, 30000);
    double elapsed = Milliseconds(start);
    if (!shown) {
      std::printf("start %d: main window did not appear\n", i + 1);
      KillProgram(program);
      return 1;
    }
    ms.push_back(elapsed);
    std::printf("start %d: %.1f ms\n", i + 1, elapsed);
    PostMessageA(program.mainWindow, WM_CLOSE, 0, 0);
    WaitForExit(program, 10000);
  }
  PrintMedian("startup to visible main window", ms);
  if (argc > 4) {
    const int connections = argc > 5 ? std::atoi(argv[5]) : 1;
    return TimeFirstListing(std::atoi(argv[2]), argv[3], std::atoi(argv[4]), connections);
  }
  return 0;
}
