// Transfer speed of the engine against a loopback FTP server: one large
// file down and up with several copy-block sizes (medians of 3), and many
// 1 MiB files on 1, 4 and 8 connections (one run each); then the process's
// peak memory. tools/bench_transfer.sh sets curl's figures beside them.
//
// Usage: bench_transfer.exe PORT USER PASSWORD REMOTE_DIR LOCAL_DIR
//   (USER "anonymous" logs in anonymously)
//   REMOTE_DIR holds big.bin and the folder small/; LOCAL_DIR is scratch.
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/progressapi_win.h"
#include "engine/transfer_win.h"
#include "engine/transferrules.h"
#include "profiles/current_win.h"
#include "support/inetcache_win.h"

namespace {
bool gArrived = false;
EngineJob* gJob = nullptr;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_JOB_DONE) {
    JobCompleted();
    gJob = reinterpret_cast<EngineJob*>(wParam);
    gArrived = true;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (!gArrived) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  gArrived = false;
}

void Connect(int workers) {
  gCurrent.record.connections = workers;
  StartWorkers();
  auto* job = new EngineJob();
  StartJob(ConnectJob, job);
  Pump();
  FreeJob(gJob);
  while (ConnectedWorkers() < WorkerCount()) Sleep(10);
}

void Disconnect() {
  auto* job = new EngineJob();
  StartJob(DisconnectJob, job);
  Pump();
  FreeJob(gJob);
}


// Seconds one transfer of `item` takes.
double Time(const std::string& destination, int direction, const TransferItem& item) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  StartTransfer(destination.c_str(), direction, kTransferReplaceQuietly, new std::vector<TransferItem>{item});
  Pump();
  QueryPerformanceCounter(&b);
  FreeJob(gJob);
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

TransferItem Item(const std::string& path, bool folder) {
  TransferItem item = {};
  CopyText(item.source, path);
  item.kind = folder ? 0x10 : 0x80;
  return item;
}

void RemoveFolderFiles(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + "\\" + fd.cFileName).c_str());
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: bench_transfer PORT USER PASSWORD REMOTE_DIR LOCAL_DIR\n");
    return 2;
  }
  const std::string remote = argv[4], local = argv[5];
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VortoBenchMain";
  RegisterClassA(&wc);
  SetMainWindow(CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  SetInternetSession(InternetOpenA("Vorto", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  GetTempPathA(sizeof TempFolder(), TempFolder());
  SetDefaultProfile(gCurrent.record);
  SetDefaultLists(gCurrent.lists);
  std::strcpy(gCurrent.record.host, "127.0.0.1");
  gCurrent.record.ftpPort = std::atoi(argv[1]);
  gCurrent.record.anonymous = std::strcmp(argv[2], "anonymous") == 0;
  CopyText(gCurrent.record.user, argv[2]);
  CopyText(gCurrent.sessionPassword, argv[3]);
  gCurrent.record.passive = 1;
  Options().transferMode = 2;
  SetCopyFailureBoxes(false);
  CreateDirectoryA(local.c_str(), nullptr);

  const int runs = 3;
  Connect(1);
  const std::string bigLocal = local + "\\big.bin";
  for (DWORD block : {4096u, 65536u, 262144u, 1048576u}) {
    SetCopyBlockSize(block);
    std::vector<double> down, up;
    for (int i = 0; i < runs; ++i) {
      DeleteFileA(bigLocal.c_str());
      down.push_back(Time(local, 0, Item(remote + "/big.bin", false)));
      ClearInternetCache();
      up.push_back(Time(remote + "/up", 1, Item(bigLocal, false)));
    }
    const double mib = static_cast<double>(SizeOf(bigLocal)) / (1 << 20);
    std::printf("single file %.0f MiB, block %7lu: download %7.1f MiB/s, upload %7.1f MiB/s\n", mib, block,
                mib / Median(down), mib / Median(up));
    std::fflush(stdout);
  }
  Disconnect();
  SetCopyBlockSize(0);

  const std::string smallLocal = local + "\\small";
  for (int workers : {1, 4, 8}) {
    Connect(workers);
    std::vector<double> down, up;
    for (int i = 0; i < 1; ++i) {
      RemoveFolderFiles(smallLocal);
      RemoveDirectoryA(smallLocal.c_str());
      down.push_back(Time(local, 0, Item(remote + "/small", true)));
      ClearInternetCache();
      up.push_back(Time(remote + "/up", 1, Item(smallLocal, true)));
    }
    int64_t bytes = 0;
    WIN32_FIND_DATAA fd;
    int files = 0;
    HANDLE h = FindFirstFileA((smallLocal + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          bytes += fd.nFileSizeLow;
          ++files;
        }
      while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    const double mib = static_cast<double>(bytes) / (1 << 20);
    std::printf("%d files, %d connection(s): download %7.1f MiB/s, upload %7.1f MiB/s\n", files, workers,
                mib / Median(down), mib / Median(up));
    std::fflush(stdout);
    Disconnect();
  }

  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  std::printf("peak working set %.1f MiB, peak private bytes %.1f MiB\n",
              static_cast<double>(pmc.PeakWorkingSetSize) / (1 << 20),
              static_cast<double>(pmc.PeakPagefileUsage) / (1 << 20));
  DestroyWindow(MainWindow());
  InternetCloseHandle(InternetSession());
  return 0;
}
