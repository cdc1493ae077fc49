// Shows the progress window as it looks during a troubled action, for
// screenshots: details expanded, a few workers, a few error lines.
// Usage: progress_demo.exe [seconds]
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "app/appstate_win.h"
#include "engine/ineterror_win.h"
#include "engine/progress_win.h"
#include "engine/progressapi_win.h"
#include "res/resource.h"
#include "support/files_win.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadTestResourceLibrary();
  if (!ResourceLibrary()) return 1;
  Options().autoShowProgress = true;
  HWND dialog = CreateProgressWindow(nullptr);
  if (!dialog) return 1;
  SetWindowPos(dialog, nullptr, 40, 40, 640, 420, SWP_NOZORDER);
  ShowProgressWindow(false);
  SetProgressTitle(IDS_CANCELLING);
  SetProgressTotal(12);
  SetProgressItem("/var/www/site/index.html", true);
  SetProgressItem("/var/www/site/style.css", true);
  SetProgressItem("/var/www/site/logo.png", true);
  SetWorkerCount(3);
  ShowWorkerStatus(0, IDS_WORKER_CONNECTING, "/var/www/site/logo.png");
  ShowWorkerIdle(1);
  ShowWorkerProgress(0, 42, 65000);
  ShowWorkerSpeed(0, 734003);
  ReportInternetError(ERROR_FILE_NOT_FOUND, "FindFirstFile", 0);
  ReportInternetError(12029, "InternetConnect", 2);
  ReportInternetError(ERROR_TIMEOUT, "WaitForMultipleObjects", -1);
  ReportText("Thread #2: [FtpPutFile] error code: 12003, The server returned extended information.  : 553 Could not create file.");

  DWORD until = GetTickCount() + 1000 * static_cast<DWORD>(argc > 1 ? std::atoi(argv[1]) : 5);
  MSG msg;
  while (GetTickCount() < until) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    Sleep(20);
  }
  DestroyProgressWindow();
  return 0;
}
