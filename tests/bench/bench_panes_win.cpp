// A 10,000-entry server directory arriving in the server pane: time from
// the listing's arrival to the pane drawn, and memory per entry. Prints
// medians of several rounds; asserts nothing.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/shellimages_win.h"
#include "panes/panes_win.h"
#include "panes/serverframe_win.h"
#include "support/files_win.h"

namespace {
constexpr int kEntries = 10000;
constexpr int kRounds = 5;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  // Wine fills the page-file figure (committed private bytes), not PrivateUsage.
  return counters.PagefileUsage;
}

std::vector<FileEntry> Listing() {
  static const char* kExtensions[] = {".txt", ".html", ".jpg", ".zip", ".c", ""};
  std::vector<FileEntry> entries(kEntries);
  for (int i = 0; i < kEntries; ++i) {
    FileEntry& e = entries[static_cast<size_t>(i)];
    snprintf(e.name, sizeof e.name, "%s%05d%s", i % 10 == 0 ? "folder" : "file", (i * 7919) % kEntries,
             i % 10 == 0 ? "" : kExtensions[i % 6]);
    e.attributes = i % 10 == 0 ? kAttrDirectory : kAttrNormal;
    e.size = static_cast<int64_t>(i) * 1237;
    e.modified = 133000000000000000ull + static_cast<uint64_t>(i) * 600000000ull;
    std::strcpy(e.permissions, "-rw-r--r--");
    std::strcpy(e.owner, "www");
  }
  return entries;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}
}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  LoadTestResourceLibrary();
  LoadShellImages();
  if (!RegisterPaneClasses(GetModuleHandleA(nullptr))) return 1;
  HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 800, nullptr,
                                nullptr, nullptr, nullptr);
  SetMainWindow(parent);
  HWND pane = CreatePaneWindow(parent, true, 0, 980, 760);
  if (!pane || !ServerFrame()) return 1;
  Pump();

  // Memory: the first listing the pane ever holds, with the engine's copy
  // freed (later rounds reuse the heap and would show nothing).
  {
    std::vector<FileEntry> listing = Listing();
    const size_t before = PrivateBytes();
    EngineJob job;
    job.items = std::make_unique<std::vector<FileEntry>>(std::move(listing));
    ServerFrame()->OnJobDone(&job, kDoneTakeListing);
    RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    job.items.reset();
    job.items = nullptr;
    const size_t after = PrivateBytes();
    printf("server pane holding %d entries: %.0f bytes of private memory per entry (FileEntry is %u)\n", kEntries,
           after > before ? static_cast<double>(after - before) / kEntries : 0.0,
           static_cast<unsigned>(sizeof(FileEntry)));
  }
  const char* kViews[] = {"large icons", "details", "list"};
  const int kCommands[] = {9216, 9218, 9217};
  for (int v = 0; v < 3; ++v) {
    SendMessageA(pane, WM_COMMAND, kCommands[v], 0);
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
      EngineJob empty;
      empty.items = std::make_unique<std::vector<FileEntry>>();
      ServerFrame()->OnJobDone(&empty, kDoneTakeListing);
      empty.items.reset();
      Pump();
      EngineJob job;
      job.items = std::make_unique<std::vector<FileEntry>>(Listing());
      const double start = Now();
      ServerFrame()->OnJobDone(&job, kDoneTakeListing);
      RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      times.push_back(Now() - start);
      job.items.reset();
    }
    const double sortStart = Now();
    SendMessageA(pane, WM_COMMAND, 9232, 0);
    const double sortTime = Now() - sortStart;
    SendMessageA(pane, WM_COMMAND, 9232, 0);
    printf("  re-sort by name: %.1f ms\n", sortTime);
    std::sort(times.begin(), times.end());
    printf("server pane, %d entries, %-11s: listing to drawn %8.1f ms (median of %d)\n", kEntries, kViews[v],
           times[kRounds / 2], kRounds);
  }
  DestroyWindow(pane);
  DestroyWindow(parent);
  return 0;
}
