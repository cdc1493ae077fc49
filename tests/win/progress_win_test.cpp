// The real progress dialog, created in this process and driven by the same
// messages and helpers the engine uses.
#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/appstate_win.h"
#include "engine/ineterror_win.h"
#include "engine/progress_win.h"
#include "engine/progressapi_win.h"
#include "res/resource.h"
#include "support/peers_win.h"
#include "support/registry_fixture_win.h"
#include "support/files_win.h"

namespace {
void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string ItemText(HWND list, int row, int column) {
  char text[2048] = {};
  ListView_GetItemText(list, row, column, text, sizeof text);
  return text;
}

class ProgressWindow : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    LoadTestResourceLibrary();
    ASSERT_NE(ResourceLibrary(), nullptr);
    Options().autoShowProgress = true;
    Create();
  }
  void TearDown() override {
    DestroyProgressWindow();
    Pump();
    FreeLibrary(ResourceLibrary());
    SetResourceLibrary(nullptr);
    RegistryTest::TearDown();
  }
  void Create() {
    dialog_ = CreateProgressWindow(nullptr);
    ASSERT_NE(dialog_, nullptr);
    ASSERT_NE(gProgressWindows.workerPage, nullptr);
    ASSERT_NE(gProgressWindows.errorPage, nullptr);
  }
  HWND WorkerList() { return GetDlgItem(gProgressWindows.workerPage, IDC_WORKER_LIST); }
  HWND ErrorList() { return GetDlgItem(gProgressWindows.errorPage, IDC_ERROR_LIST); }
  std::string LastError() {
    int n = ListView_GetItemCount(ErrorList());
    return n ? ItemText(ErrorList(), n - 1, 0) : std::string();
  }
  HWND dialog_ = nullptr;
};
}  // namespace

TEST_F(ProgressWindow, ActionEndHidesTheWindowUnlessAnErrorOrKeepOpen) {
  EXPECT_FALSE(IsWindowVisible(dialog_));  // created hidden
  ShowProgressWindow(true);
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EndProgress();
  EXPECT_FALSE(IsWindowVisible(dialog_));

  ShowProgressWindow(true);
  ShowErrorLine("something failed");
  EndProgress();
  EXPECT_TRUE(IsWindowVisible(dialog_));
  // Closing forgets the error: the next clean action hides again.
  SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(dialog_));
  ShowProgressWindow(true);
  EndProgress();
  EXPECT_FALSE(IsWindowVisible(dialog_));

  CheckDlgButton(dialog_, IDC_PROGRESS_KEEPOPEN, BST_CHECKED);
  ShowProgressWindow(true);
  EndProgress();
  EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(ProgressWindow, ItemsCountTowardsTheTotal) {
  SetProgressTitle(IDS_CANCELLING);
  char text[64];
  GetDlgItemTextA(dialog_, IDC_PROGRESS_TITLE, text, sizeof text);
  EXPECT_STREQ(text, "Cancelling...");
  SetProgressTotal(3);
  SetProgressItem("/pub/a.txt", true);
  SetProgressItem("/pub", false);  // shown, not counted
  SetProgressItem("", true);       // empty: not counted
  EXPECT_EQ(GetDlgItemInt(dialog_, IDC_PROGRESS_DONE, nullptr, FALSE), 1u);
  GetDlgItemTextA(dialog_, IDC_PROGRESS_PERCENT, text, sizeof text);
  EXPECT_STREQ(text, "33 %");
  AddProgressTotal(2);
  EXPECT_EQ(GetDlgItemInt(dialog_, IDC_PROGRESS_TOTAL, nullptr, FALSE), 5u);
  EXPECT_EQ(SendDlgItemMessageA(dialog_, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, 0), 5);
  SetProgressTotal(0);
  SetProgressItem("x", true);  // a zero total shows no percentage and does not divide
  EXPECT_EQ(GetDlgItemInt(dialog_, IDC_PROGRESS_DONE, nullptr, FALSE), 1u);
}

TEST_F(ProgressWindow, WorkerRowsFollowTheWorkerCount) {
  SetWorkerCount(5);
  EXPECT_EQ(ListView_GetItemCount(WorkerList()), 5);
  ShowWorkerStatus(4, IDS_WORKER_IDLE, "/pub/file.bin");
  EXPECT_EQ(ItemText(WorkerList(), 4, 0), "#5: Idle /pub/file.bin");
  SetWorkerCount(2);
  ASSERT_EQ(ListView_GetItemCount(WorkerList()), 2);
  EXPECT_EQ(ItemText(WorkerList(), 0, 0), "#1: Connecting");
  EXPECT_EQ(ItemText(WorkerList(), 1, 0), "#2: Connecting");

  ShowWorkerIdle(1);
  EXPECT_EQ(ItemText(WorkerList(), 1, 0), "#2: Idle");
  ShowWorkerClosed(0);
  ShowWorkerClosed(7);  // no such row: ignored
  ShowWorkerProgress(1, 42, 65000);
  ShowWorkerSpeed(0, 1024);
  ShowWorkerSpeed(1, 1025);
  Pump();
  EXPECT_EQ(ItemText(WorkerList(), 0, 0), "#1: Closed");
  EXPECT_EQ(ItemText(WorkerList(), 1, 1), "42%");
  EXPECT_FALSE(ItemText(WorkerList(), 1, 2).empty());
  EXPECT_EQ(ItemText(WorkerList(), 0, 3), "1024 bytes/s");
  EXPECT_EQ(ItemText(WorkerList(), 1, 3), "1 KB/s");
}

TEST_F(ProgressWindow, StoredPlacementIsUsedOnlyWhenTwentyFourBytes) {
  DestroyProgressWindow();
  int32_t v[6] = {100, 120, 700, 560, 1, 1};
  for (DWORD size : {23u, 25u}) {
    std::vector<BYTE> data(size, 0);
    std::memcpy(data.data(), v, size < 24 ? size : 24);
    PutRawValue("Common", "ProgWI", REG_BINARY, data.data(), size);
    Create();
    EXPECT_NE(IsDlgButtonChecked(dialog_, IDC_PROGRESS_KEEPOPEN), BST_CHECKED) << size;
    DestroyProgressWindow();
  }
  PutRawValue("Common", "ProgWI", REG_BINARY, v, 24);
  Create();
  EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_PROGRESS_KEEPOPEN), BST_CHECKED);
  WINDOWPLACEMENT wp = {sizeof wp};
  GetWindowPlacement(dialog_, &wp);
  EXPECT_EQ(wp.rcNormalPosition.left, 100);
  EXPECT_EQ(wp.rcNormalPosition.right, 700);
  char caption[32];
  GetDlgItemTextA(dialog_, IDC_PROGRESS_DETAILS, caption, sizeof caption);
  EXPECT_STREQ(caption, "<< Details");

  // Closing stores the placement, collapsed this time.
  SendMessageA(dialog_, WM_COMMAND, IDC_PROGRESS_DETAILS, 0);
  GetDlgItemTextA(dialog_, IDC_PROGRESS_DETAILS, caption, sizeof caption);
  EXPECT_STREQ(caption, "Details >>");
  DestroyProgressWindow();
  DWORD type;
  std::vector<BYTE> stored;
  ASSERT_TRUE(GetRawValue("Common", "ProgWI", type, stored));
  ASSERT_EQ(stored.size(), 24u);
  EXPECT_EQ(stored[20], 0);  // details flag
  EXPECT_EQ(stored[16], 1);  // keep-open
  ASSERT_TRUE(GetRawValue("Common", "ThreadListInfo", type, stored));
  EXPECT_EQ(stored.size(), 16u);
  Create();
}

TEST_F(ProgressWindow, ReportLinesNameTheWorkerFromOne) {
  ASSERT_TRUE(ReportInternetError(ERROR_FILE_NOT_FOUND, "FindFirstFile", 0));
  std::string line = LastError();
  EXPECT_EQ(line.rfind("Thread #1: [FindFirstFile] error code: 2, ", 0), 0u) << line;
  EXPECT_TRUE(IsWindowVisible(dialog_));
  char caption[32];
  GetDlgItemTextA(dialog_, IDC_PROGRESS_DETAILS, caption, sizeof caption);
  EXPECT_STREQ(caption, "<< Details");  // the report opened the details

  ASSERT_TRUE(ReportInternetError(ERROR_TIMEOUT, "WaitForMultipleObjects", -1));
  EXPECT_EQ(LastError().rfind("[WaitForMultipleObjects] error code: 1460, ", 0), 0u) << LastError();
  // A WinINet code the system has no text for still gets one.
  ASSERT_TRUE(ReportInternetError(12031, "InternetConnect", 2));
  EXPECT_EQ(LastError().rfind("Thread #3: [InternetConnect] error code: 12031, ", 0), 0u) << LastError();
  EXPECT_FALSE(ReportInternetError(0x2FFFFFFF, "Nothing", 0));  // no text at all: no line

  ReportSftpError("SftpOpen");
  EXPECT_EQ(LastError(), "SftpOpen : The SFTP operation failed.");
  ReportText("plain line");
  EXPECT_EQ(LastError(), "plain line");
  EXPECT_EQ(ListView_GetItemCount(ErrorList()), 5);
}

TEST_F(ProgressWindow, ServerRefusalCarriesTheResponseCutToTheLine) {
  int port = PeerPort("ftp");
  ASSERT_NE(port, 0) << "FTP peer not running";
  HINTERNET net = InternetOpenA("vorto-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(net, nullptr);
  HINTERNET ftp = InternetConnectA(net, "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                   INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
  ASSERT_NE(ftp, nullptr) << GetLastError();

  ASSERT_FALSE(FtpDeleteFileA(ftp, "missing-file.txt"));
  DWORD code = GetLastError();
  ASSERT_EQ(code, static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR));
  ASSERT_TRUE(ReportInternetError(code, "FtpDeleteFile", 0));
  std::string line = LastError();
  EXPECT_EQ(line.rfind("Thread #1: [FtpDeleteFile] error code: 12003, ", 0), 0u) << line;
  EXPECT_NE(line.find(" : 550"), std::string::npos) << line;

  ASSERT_FALSE(FtpDeleteFileA(ftp, "long-refusal"));
  code = GetLastError();
  ASSERT_TRUE(ReportInternetError(code, "FtpDeleteFile", 0));
  line = LastError();
  EXPECT_NE(line.find(" : 550"), std::string::npos) << line;
  EXPECT_LE(line.size(), 1023u);
  InternetCloseHandle(ftp);
  InternetCloseHandle(net);
}

TEST_F(ProgressWindow, AnErrorDuringACancelledActionKeepsTheCancelRequest) {
  ShowProgressWindow(true);
  EXPECT_FALSE(IsCancelRequested());
  SendMessageA(dialog_, WM_COMMAND, IDC_PROGRESS_CANCEL, 0);
  EXPECT_TRUE(IsCancelRequested());
  // The stopped copy loop reports its 1223; the queued files must still see
  // the request.
  ReportInternetError(ERROR_CANCELLED, "FtpPutFile", 0);
  EXPECT_TRUE(IsCancelRequested());
  // The next action starts afresh.
  ShowProgressWindow(true);
  EXPECT_FALSE(IsCancelRequested());
}

TEST_F(ProgressWindow, ManyThreadsReportingAtOnceLoseNoLine) {
  ClearErrorLines();
  constexpr int kThreads = 30, kLines = 200;
  std::vector<std::thread> threads;
  std::atomic<int> finished{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &finished] {
      for (int i = 0; i < kLines; ++i) {
        char line[64];
        snprintf(line, sizeof line, "worker %d line %d", t, i);
        ShowErrorLine(line);
        if (i % 50 == 0) ShowWorkerStatus(t, IDS_WORKER_IDLE, nullptr);
      }
      ++finished;
    });
  }
  // This thread is the window's thread: it keeps the messages flowing.
  DWORD start = GetTickCount();
  while (finished.load() < kThreads && GetTickCount() - start < 120000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT | QS_SENDMESSAGE);
    Pump();
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(ListView_GetItemCount(ErrorList()), kThreads * kLines);
  // Still answering.
  DWORD_PTR result;
  EXPECT_TRUE(SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result));
}

TEST_F(ProgressWindow, ReportsAfterTheWindowIsGoneReturnAtOnce) {
  std::atomic<bool> done{false};
  std::thread reporter([&] {
    for (int i = 0; i < 500; ++i) ShowErrorLine("late line");
    SetWorkerCount(3);
    ShowWorkerStatus(0, IDS_WORKER_IDLE, "/x");
    done = true;
  });
  // Serve a few reports, then go away as the program does when it closes.
  for (int i = 0; i < 5; ++i) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT | QS_SENDMESSAGE);
    Pump();
  }
  DestroyProgressWindow();
  DWORD start = GetTickCount();
  while (!done.load() && GetTickCount() - start < 20000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT | QS_SENDMESSAGE);
    Pump();
  }
  EXPECT_TRUE(done.load()) << "a reporter hung after the window was destroyed";
  reporter.join();
  Create();  // the fixture's tear-down destroys it again
}
