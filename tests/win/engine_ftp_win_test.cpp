// The engine against the real FTP peer on loopback: workers connect,
// jobs run their requests, and the server's folder shows the effects.
#include <windows.h>
#include <wininet.h>
#include <objbase.h>
#include <commctrl.h>
#include <process.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "engine/engine_win.h"
#include "engine/progress_win.h"
#include "engine/progressapi_win.h"
#include "engine/transfer_win.h"
#include "engine/transferrules.h"
#include "res/resource.h"
#include "base/textbuf.h"
#include "profiles/current_win.h"
#include "profiles/login_win.h"
#include "support/peers_win.h"
#include "support/registry_fixture_win.h"
#include "support/files_win.h"

namespace {
struct Completion {
  EngineJob* job = nullptr;
  uint32_t flags = 0;
  bool arrived = false;
};
Completion gLast;
bool gConnectionLost = false;
LPARAM gLowestCount = 1000;  // lowest connection count the main window was told
LRESULT gLoginAnswer = 0;
int gLoginAsked = 0;
bool gLoginDialog = false;  // answer refused logins with the real dialog
int gLoginNesting = 0, gLoginDeepest = 0;

LRESULT CALLBACK FakeMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_JOB_DONE) {
    JobCompleted();
    gLast.job = reinterpret_cast<EngineJob*>(wParam);
    gLast.flags = static_cast<uint32_t>(lParam);
    gLast.arrived = true;
    return 0;
  }
  if (message == WM_CONNECTION_COUNT) {
    if (lParam < gLowestCount) gLowestCount = lParam;
    return 0;
  }
  if (message == WM_CONNECTION_LOST) {
    gConnectionLost = true;
    return 0;
  }
  if (message == WM_LOGIN_REFUSED) {
    ++gLoginAsked;
    if (!gLoginDialog) return gLoginAnswer;
    if (++gLoginNesting > gLoginDeepest) gLoginDeepest = gLoginNesting;
    LRESULT answer = ShowLoginDialog(window, static_cast<DWORD>(lParam));
    --gLoginNesting;
    return answer;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary);
  out << data;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Temporary files the copy on the server could leave behind.
int CountTempFiles() {
  WIN32_FIND_DATAA fd;
  int n = 0;
  HANDLE h = FindFirstFileA((std::string(TempFolder()) + "tmp*.tmp").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do ++n;
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return n;
}

bool WaitUntilConnected(int count) {
  DWORD start = GetTickCount();
  while (ConnectedWorkers() < count) {
    if (GetTickCount() - start > 30000) return false;
    Sleep(20);
  }
  return true;
}

class EngineFtp : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    port_ = PeerPort("ftp");
    ASSERT_NE(port_, 0) << "FTP peer not running";
    root_ = PeerFolder("ftp") + "\\root";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FakeMainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VortoTestMain";
    RegisterClassA(&wc);
    SetMainWindow(CreateWindowA("VortoTestMain", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    SetInternetSession(InternetOpenA("Vorto", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    SetDefaultProfile(gCurrent.record);
    SetDefaultLists(gCurrent.lists);
    std::strcpy(gCurrent.name, "peer");
    std::strcpy(gCurrent.record.host, "127.0.0.1");
    gCurrent.record.ftpPort = port_;
    gCurrent.record.anonymous = 1;
    gCurrent.record.passive = 1;
    gLoginAsked = 0;
    gLoginDialog = false;
    gLoginNesting = gLoginDeepest = 0;
    Options().autoShowProgress = true;
    // A fresh folder for each test inside the server's root.
    area_ = "t" + std::to_string(GetTickCount());
    CreateDirectoryA((root_ + "\\" + area_).c_str(), nullptr);
  }
  void TearDown() override {
    Disconnect();
    DestroyWindow(MainWindow());
    SetMainWindow(nullptr);
    InternetCloseHandle(InternetSession());
    SetInternetSession(nullptr);
    RegistryTest::TearDown();
  }

  // Runs a job and pumps messages until its completion arrives.
  uint32_t Run(JobFunction function, EngineJob* job, DWORD timeoutMs = 60000) {
    gLast = Completion{};
    EXPECT_TRUE(StartJob(function, job));
    DWORD start = GetTickCount();
    MSG msg;
    while (!gLast.arrived && GetTickCount() - start < timeoutMs) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    EXPECT_TRUE(gLast.arrived) << "job did not complete";
    EXPECT_EQ(gLast.job, job);
    return gLast.flags;
  }
  uint32_t Connect() {
    if (StartWorkers() <= 0) return 0;
    return Run(ConnectJob, new EngineJob(), 60000);
  }
  void Disconnect() {
    if (WorkerCount() == 0) return;
    auto* job = new EngineJob();
    job->flags = kDoneRefreshServer;
    Run(DisconnectJob, job);
    FreeJob(job);
  }
  uint32_t RunNames(JobFunction function, std::vector<std::string> names, uint32_t flags = 0) {
    auto* job = new EngineJob();
    job->names = std::make_unique<std::vector<std::string>>(std::move(names));
    job->flags = flags;
    uint32_t done = Run(function, job);
    FreeJob(job);
    return done;
  }
  std::vector<FileEntry> List(const std::string& directory) {
    auto* job = new EngineJob();
    CopyText(job->directory, directory);
    uint32_t flags = Run(RefreshListingJob, job);
    EXPECT_EQ(flags, kDoneTakeListing);
    std::vector<FileEntry> entries = job->items ? *job->items : std::vector<FileEntry>();
    FreeJob(job);
    return entries;
  }
  // Downloads the named files of the test's server folder into `folder`.
  void Download(const std::string& folder, const std::vector<std::string>& names) {
    CreateDirectoryA(folder.c_str(), nullptr);
    auto* job = new EngineJob();
    job->direction = 0;
    job->transferList = std::make_unique<std::vector<TransferItem>>();
    for (const std::string& name : names) {
      TransferItem item = {};
      CopyText(item.source, Remote(name));
      CopyText(item.destination, folder + "\\" + name);
      item.kind = 4;
      job->transferList->push_back(item);
    }
    Run(ExecuteTransferListJob, job);
    FreeJob(job);
  }
  // Uses the limited peer, which takes two connections from one address.
  void UseLimitedPeer() {
    const int port = PeerPort("ftplimit");
    ASSERT_NE(port, 0) << "limited FTP peer not running";
    gCurrent.record.ftpPort = port;
    root_ = PeerFolder("ftplimit") + "\\root";
    CreateDirectoryA((root_ + "\\" + area_).c_str(), nullptr);
  }
  std::string Remote(const std::string& name) { return "/" + area_ + "/" + name; }
  std::string Local(const std::string& name) { return root_ + "\\" + area_ + "\\" + name; }

  int port_ = 0;
  std::string root_, area_;
};

const FileEntry* Find(const std::vector<FileEntry>& list, const char* name) {
  for (const FileEntry& e : list)
    if (std::strcmp(e.name, name) == 0) return &e;
  return nullptr;
}
}  // namespace

TEST_F(EngineFtp, SeveralWorkersConnectAndListTheServer) {
  gCurrent.record.connections = 4;
  WriteFile(Local("data.bin"), std::string(70000, 'x'));
  CreateDirectoryA(Local("sub").c_str(), nullptr);
  ASSERT_EQ(Connect(), kDoneConnected);
  EXPECT_EQ(WorkerCount(), 4);
  EXPECT_TRUE(IsConnected());
  EXPECT_STREQ(SessionDirectory(), "/");
  EXPECT_TRUE(WaitUntilConnected(4));

  std::vector<FileEntry> list = List("/" + area_);
  const FileEntry* data = Find(list, "data.bin");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->size, 70000);
  EXPECT_EQ(data->attributes & kAttrDirectory, 0u);
  const FileEntry* sub = Find(list, "sub");
  ASSERT_NE(sub, nullptr);
  EXPECT_NE(sub->attributes & kAttrDirectory, 0u);
  EXPECT_EQ(sub->viewSlot[0], -1);
}

TEST_F(EngineFtp, RemoteOperationsChangeTheServerFolder) {
  gCurrent.record.connections = 2;
  WriteFile(Local("data.bin"), std::string("0123456789abcdef", 16) + std::string(9000, 'q'));
  ASSERT_EQ(Connect(), kDoneConnected);

  EXPECT_EQ(RunNames(MakeDirectoriesJob, {Remote("one"), Remote("two")}), kDoneRefreshServer);
  EXPECT_TRUE(Exists(Local("one")));
  EXPECT_TRUE(Exists(Local("two")));

  EXPECT_EQ(RunNames(CreateFilesJob, {Remote("empty.txt")}), kDoneRefreshServer);
  ASSERT_TRUE(Exists(Local("empty.txt")));
  EXPECT_EQ(ReadFile(Local("empty.txt")), "");

  RunNames(RenameOrCopyJob, {Remote("empty.txt"), Remote("renamed.txt")});
  EXPECT_FALSE(Exists(Local("empty.txt")));
  EXPECT_TRUE(Exists(Local("renamed.txt")));

  // Copy on the server leaves no temporary file behind.
  int tempBefore = CountTempFiles();
  RunNames(RenameOrCopyJob, {Remote("data.bin"), Remote("copy.bin")}, kRenameCopies);
  EXPECT_EQ(ReadFile(Local("copy.bin")), ReadFile(Local("data.bin")));
  RunNames(RenameOrCopyJob, {Remote("missing.bin"), Remote("never.bin")}, kRenameCopies);
  EXPECT_FALSE(Exists(Local("never.bin")));
  EXPECT_EQ(CountTempFiles(), tempBefore);

  // The directory moves into the session directory's view after a change.
  auto* cd = new EngineJob();
  CopyText(cd->directory, Remote("one"));
  EXPECT_EQ(Run(ChangeDirectoryJob, cd), 0x110000u);
  EXPECT_EQ(std::string(cd->resultPath), Remote("one"));
  FreeJob(cd);
  auto* bad = new EngineJob();
  CopyText(bad->directory, Remote("nowhere"));
  EXPECT_EQ(Run(ChangeDirectoryJob, bad), 0u);
  FreeJob(bad);

  // Recursive delete of a tree, with a nested folder removed through its parent.
  CreateDirectoryA(Local("tree").c_str(), nullptr);
  CreateDirectoryA(Local("tree\\inner").c_str(), nullptr);
  WriteFile(Local("tree\\a.txt"), "a");
  WriteFile(Local("tree\\inner\\b.txt"), "b");
  auto* del = new EngineJob();
  del->items = std::make_unique<std::vector<FileEntry>>(1);
  CopyText((*del->items)[0].name, Remote("tree").substr(1));
  (*del->items)[0].attributes = kAttrDirectory;
  EXPECT_EQ(Run(DeleteJob, del), kDoneRefreshServer);
  FreeJob(del);
  EXPECT_FALSE(Exists(Local("tree")));
}

TEST_F(EngineFtp, ConnectionCountIsClampedToThirty) {
  gCurrent.record.connections = 45;
  ASSERT_EQ(Connect(), kDoneConnected);
  EXPECT_EQ(WorkerCount(), 30);
  EXPECT_EQ(gCurrent.record.connections, 30);
  EXPECT_TRUE(WaitUntilConnected(30));
}

TEST_F(EngineFtp, NobodyConnectingEndsTheConnectJob) {
  gCurrent.record.connections = 3;
  gCurrent.record.ftpPort = 1;  // nothing listens there
  EXPECT_EQ(Connect(), kDoneConnectFailed);
  EXPECT_EQ(ConnectedWorkers(), 0);
}

TEST_F(EngineFtp, RefusedLoginAsksTheMainWindowAndGivesUpWhenCancelled) {
  gCurrent.record.anonymous = 0;
  std::strcpy(gCurrent.record.user, "tester");
  std::strcpy(gCurrent.sessionPassword, "wrong");
  gLoginAnswer = 0;
  EXPECT_EQ(Connect(), kDoneConnectFailed);
  EXPECT_EQ(gLoginAsked, 1);

  Disconnect();
  std::strcpy(gCurrent.sessionPassword, "secret");
  EXPECT_EQ(Connect(), kDoneConnected);
}

TEST(ServerNames, SameCodePageMeansNoConversion) {
  CoInitialize(nullptr);
  char out[260];
  gCurrent.record.serverCodePage = static_cast<int32_t>(GetACP());
  EXPECT_FALSE(ToServerName("caf\xe9", out));
  EXPECT_STREQ(out, "caf\xe9");
  gCurrent.record.serverCodePage = 0;
  EXPECT_FALSE(ToServerName("caf\xe9", out));
  if (GetACP() == 1252) {
    gCurrent.record.serverCodePage = 65001;
    EXPECT_TRUE(ToServerName("caf\xe9", out));
    EXPECT_STREQ(out, "caf\xc3\xa9");
    char back[260];
    EXPECT_TRUE(FromServerName(out, back));
    EXPECT_STREQ(back, "caf\xe9");
  }
  gCurrent.record.serverCodePage = 0;
  CoUninitialize();
}

namespace {
// Sends one command on a connection of its own, as another client would.
bool SendSiteCommand(int port, const char* command) {
  HINTERNET net = InternetOpenA("vorto-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET ftp = InternetConnectA(net, "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                   INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
  bool ok = ftp && FtpCommandA(ftp, FALSE, FTP_TRANSFER_TYPE_ASCII, command, 0, nullptr);
  if (ftp) InternetCloseHandle(ftp);
  InternetCloseHandle(net);
  return ok;
}

void PumpFor(DWORD ms, bool (*until)() = nullptr) {
  DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < ms && !(until && until())) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}
}  // namespace

TEST_F(EngineFtp, DroppedConnectionsAreFoundByTheKeepAliveAndReconnected) {
  int port = PeerPort("ftpdoomed");
  ASSERT_NE(port, 0);
  gCurrent.record.ftpPort = port;
  gCurrent.record.connections = 2;
  gCurrent.record.keepAlive = 1;
  std::strcpy(gCurrent.record.keepAliveCommand, "NOOP");
  SetKeepAliveInterval(300);
  ASSERT_EQ(Connect(), kDoneConnected);
  ASSERT_TRUE(WaitUntilConnected(2));
  PumpFor(200);
  gLowestCount = 1000;
  ASSERT_TRUE(SendSiteCommand(port, "SITE DROPALL"));
  // Both workers find the drop at their next keep-alive and come back.
  PumpFor(3000);
  EXPECT_TRUE(WaitUntilConnected(2));
  PumpFor(200);
  EXPECT_LT(gLowestCount, 2) << "no worker noticed the dropped connection";
  EXPECT_FALSE(gConnectionLost);
  std::vector<FileEntry> list = List("/");
  EXPECT_TRUE(gLast.arrived);

  // Then the server goes away for good: the last worker tells the main window.
  gConnectionLost = false;
  ASSERT_TRUE(SendSiteCommand(port, "SITE DIE"));
  PumpFor(10000, [] { return gConnectionLost; });
  EXPECT_TRUE(gConnectionLost);
  EXPECT_EQ(ConnectedWorkers(), 0);
  SetKeepAliveInterval(0);
}

TEST_F(EngineFtp, CancelStopsDispatchingAtOnce) {
  gCurrent.record.connections = 2;
  WriteFile(Local("src.txt"), "payload");
  ASSERT_EQ(Connect(), kDoneConnected);
  auto* job = new EngineJob();
  job->direction = 0;
  job->transferList = std::make_unique<std::vector<TransferItem>>();
  for (int i = 0; i < 20; ++i) {
    TransferItem item = {};
    CopyText(item.source, Remote("src.txt"));
    CopyText(item.destination, std::string(TempFolder()) + "vorto-cancel-" + std::to_string(i) + ".txt");
    item.kind = 4;
    job->transferList->push_back(item);
  }
  // Cancel pressed while the action waits for its turn: it dispatches nothing.
  HANDLE turn = CreateMutexA(nullptr, FALSE, "FtpMutex");
  WaitForSingleObject(turn, INFINITE);
  gLast = Completion{};
  ASSERT_TRUE(StartJob(ExecuteTransferListJob, job));
  RequestCancel();
  ReleaseMutex(turn);
  CloseHandle(turn);
  PumpFor(60000, [] { return gLast.arrived; });
  ASSERT_TRUE(gLast.arrived);
  EXPECT_EQ(gLast.flags, kDoneRefreshLocal);
  ClearCancelRequest();
  FreeJob(job);
  for (int i = 0; i < 20; ++i)
    EXPECT_FALSE(Exists(std::string(TempFolder()) + "vorto-cancel-" + std::to_string(i) + ".txt")) << i;
}

TEST_F(EngineFtp, PathsThatDoNotFitFailInsteadOfBeingCut) {
  ASSERT_EQ(Connect(), kDoneConnected);
  std::string longName = Remote(std::string(300, 'n'));
  RunNames(CreateFilesJob, {longName});
  // Nothing was created under a cut name.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((Local("nnnn*")).c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST_F(EngineFtp, VsftpdWithItsLocalUserAndAnonymously) {
  int port = PeerPort("vsftpd");
  ASSERT_NE(port, 0) << "vsftpd peer not running";
  std::string home = PeerFolder("vsftpd") + "\\home";
  gCurrent.record.ftpPort = port;
  gCurrent.record.anonymous = 0;
  gCurrent.record.connections = 2;
  std::strcpy(gCurrent.record.user, "vortoftp");
  std::strcpy(gCurrent.sessionPassword, "vortopass");
  ASSERT_EQ(Connect(), kDoneConnected);
  std::string dir = std::string(SessionDirectory()) + "/" + area_;
  EXPECT_EQ(RunNames(MakeDirectoriesJob, {dir}), kDoneRefreshServer);
  RunNames(CreateFilesJob, {dir + "/empty.txt"});
  RunNames(RenameOrCopyJob, {dir + "/empty.txt", dir + "/moved.txt"});
  std::vector<FileEntry> list = List(dir);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list[0].name, "moved.txt");
  // Removing a nested folder changes into its parent first and comes back.
  RunNames(MakeDirectoriesJob, {dir + "/a"});
  RunNames(MakeDirectoriesJob, {dir + "/a/b"});
  RunNames(MakeDirectoriesJob, {dir + "/a/b/c"});
  auto* del = new EngineJob();
  del->items = std::make_unique<std::vector<FileEntry>>(1);
  CopyText((*del->items)[0].name, (dir + "/a").c_str());
  (*del->items)[0].attributes = kAttrDirectory;
  Run(DeleteJob, del);
  FreeJob(del);
  EXPECT_TRUE(List(dir).size() == 1u);
  Disconnect();

  gCurrent.record.anonymous = 1;
  ASSERT_EQ(Connect(), kDoneConnected);
  std::vector<FileEntry> top = List("/");
  EXPECT_NE(Find(top, "pub"), nullptr);
}

TEST_F(EngineFtp, FailuresAreReportedInTheExactFormat) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadTestResourceLibrary();
  ASSERT_NE(CreateProgressWindow(nullptr), nullptr);
  HWND errors = GetDlgItem(gProgressWindows.errorPage, IDC_ERROR_LIST);
  auto lastLine = [&] {
    char text[1100] = {};
    int n = ListView_GetItemCount(errors);
    if (n > 0) ListView_GetItemText(errors, n - 1, 0, text, sizeof text);
    return std::string(text);
  };

  ASSERT_EQ(Connect(), kDoneConnected);
  auto* del = new EngineJob();
  del->items = std::make_unique<std::vector<FileEntry>>(1);
  CopyText((*del->items)[0].name, (area_ + "/missing.txt").c_str());
  (*del->items)[0].attributes = kAttrNormal;
  Run(DeleteJob, del);
  FreeJob(del);
  std::string line = lastLine();
  EXPECT_EQ(line.rfind("Thread #1: [FtpDeleteFile] error code: 12003, ", 0), 0u) << line;
  EXPECT_NE(line.find(" : 550"), std::string::npos) << line;

  // The upload half of a copy fails: still no temporary file behind.
  WriteFile(Local("c.txt"), "c");
  int before = CountTempFiles();
  RunNames(RenameOrCopyJob, {Remote("c.txt"), Remote("no-such-dir/c.txt")}, kRenameCopies);
  EXPECT_EQ(CountTempFiles(), before);
  EXPECT_NE(lastLine().find("[FtpOpenFile]"), std::string::npos) << lastLine();

  DestroyProgressWindow();
  FreeLibrary(ResourceLibrary());
  SetResourceLibrary(nullptr);
}

namespace {
// The real progress window with the resource library, for tests that look
// at its error lines, its Cancel button or whether it shows.
struct ProgressWindowFixture {
  ProgressWindowFixture() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    LoadTestResourceLibrary();
    dialog = CreateProgressWindow(nullptr);
  }
  ~ProgressWindowFixture() {
    DestroyProgressWindow();
    FreeLibrary(ResourceLibrary());
    SetResourceLibrary(nullptr);
  }
  std::vector<std::string> Lines() {
    HWND list = GetDlgItem(gProgressWindows.errorPage, IDC_ERROR_LIST);
    std::vector<std::string> lines;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      char text[1100] = {};
      ListView_GetItemText(list, i, 0, text, sizeof text);
      lines.push_back(text);
    }
    return lines;
  }
  void ClearLines() {
    SendMessageA(gProgressWindows.errorPage, PM_ERROR_LINE, 0, 0);
    SetErrorReported(false);
  }
  // What a click on the Cancel button sends.
  void PressCancel() {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_PROGRESS_CANCEL)));
  }
  HWND dialog = nullptr;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

int CountContaining(const std::vector<std::string>& lines, const char* text) {
  int n = 0;
  for (const std::string& line : lines)
    if (line.find(text) != std::string::npos) ++n;
  return n;
}
}  // namespace

TEST_F(EngineFtp, ServerLimitBelowTheConnectionCountStillMovesEveryFile) {
  ProgressWindowFixture progress;
  UseLimitedPeer();
  if (HasFatalFailure()) return;
  gCurrent.record.connections = 4;  // the server takes two
  for (int i = 0; i < 20; ++i) WriteFile(Local("f" + std::to_string(i) + ".txt"), "file " + std::to_string(i));
  WriteFile(Local("drop-03.txt"), "the server drops whoever asks for this");
  const std::string target = std::string(TempFolder()) + "vorto-limit-" + area_;
  CreateDirectoryA(target.c_str(), nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) names.push_back("f" + std::to_string(i) + ".txt");

  ASSERT_EQ(Connect(), kDoneConnected);
  Download(target + "\\all", names);
  for (const std::string& name : names)
    EXPECT_EQ(ReadFile(target + "\\all\\" + name), ReadFile(Local(name))) << name;

  // One worker's connection goes in the middle of a list and cannot come
  // back: the other worker moves everything else.
  std::vector<std::string> withDrop = names;
  withDrop.insert(withDrop.begin() + 3, "drop-03.txt");
  Download(target + "\\rest", withDrop);
  for (const std::string& name : names)
    EXPECT_EQ(ReadFile(target + "\\rest\\" + name), ReadFile(Local(name))) << name << "\n" << Joined(progress.Lines());
  EXPECT_EQ(ConnectedWorkers(), 1);
  EXPECT_EQ(gLoginAsked, 0);  // a full server is no reason to ask for a password
}

TEST_F(EngineFtp, CancelStopsOnlyTheActionItWasPressedFor) {
  ProgressWindowFixture progress;
  ASSERT_NE(progress.dialog, nullptr);
  gCurrent.record.connections = 2;
  for (bool autoShow : {false, true}) {
    SCOPED_TRACE(autoShow ? "AutoShowProgress 1" : "AutoShowProgress 0");
    Options().autoShowProgress = autoShow;
    WriteFile(Local("a.txt"), "a");
    ASSERT_EQ(Connect(), kDoneConnected);

    progress.PressCancel();
    RunNames(RenameOrCopyJob, {Remote("a.txt"), Remote("b.txt")});
    EXPECT_TRUE(Exists(Local("b.txt")));

    progress.PressCancel();
    EXPECT_NE(Find(List("/" + area_), "b.txt"), nullptr);

    progress.PressCancel();
    RunNames(MakeDirectoriesJob, {Remote("made")});
    EXPECT_TRUE(Exists(Local("made")));

    progress.PressCancel();
    auto* cd = new EngineJob();
    CopyText(cd->directory, Remote("made"));
    EXPECT_EQ(Run(ChangeDirectoryJob, cd), 0x110000u);
    EXPECT_EQ(std::string(cd->resultPath), Remote("made"));
    FreeJob(cd);

    Disconnect();
    progress.PressCancel();
    EXPECT_EQ(Connect(), kDoneConnected);
    Disconnect();
    DeleteFileA(Local("b.txt").c_str());
    RemoveDirectoryA(Local("made").c_str());
  }
}

TEST_F(EngineFtp, JobsWithoutAConnectedWorkerFailWithOneReport) {
  ProgressWindowFixture progress;
  gCurrent.record.connections = 3;
  gCurrent.record.ftpPort = 1;  // nothing listens there
  ASSERT_EQ(Connect(), kDoneConnectFailed);
  ASSERT_EQ(ConnectedWorkers(), 0);

  progress.ClearLines();
  auto* cd = new EngineJob();
  CopyText(cd->directory, "/");
  EXPECT_EQ(Run(ChangeDirectoryJob, cd), 0u);
  FreeJob(cd);
  EXPECT_EQ(progress.Lines().size(), 1u) << Joined(progress.Lines());

  progress.ClearLines();
  RunNames(MakeDirectoriesJob, {"/x", "/y", "/z"});
  EXPECT_EQ(progress.Lines().size(), 1u) << Joined(progress.Lines());

  // An editor's save goes through the same transfer: it must not pass
  // for uploaded, so its follow-ups do not run.
  const std::string local = std::string(TempFolder()) + "vorto-unsent-" + area_ + ".txt";
  WriteFile(local, "edited");
  progress.ClearLines();
  ASSERT_TRUE(UploadFile("/edited.txt", local.c_str()));
  gLast = Completion{};
  PumpFor(30000, [] { return gLast.arrived; });
  ASSERT_TRUE(gLast.arrived);
  EXPECT_EQ(gLast.flags & ~static_cast<uint32_t>(kDoneRefreshServer), kTransferRestartWatch);
  FreeJob(gLast.job);
  EXPECT_EQ(progress.Lines().size(), 1u) << Joined(progress.Lines());
  DeleteFileA(local.c_str());
}

namespace {
// Plays the user in front of the login dialog: waits for it, counts how
// many are open at once, then answers the first one.
struct LoginUser {
  DWORD uiThread = 0;
  const char* password = nullptr;  // null: press Cancel
  int mostOpen = 0;
  volatile bool stop = false;
  HANDLE thread = nullptr;

  static BOOL CALLBACK Collect(HWND window, LPARAM lParam) {
    if (GetDlgItem(window, IDC_LOGIN_PASSWORD) && IsWindowVisible(window))
      reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
  }
  std::vector<HWND> OpenDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(uiThread, Collect, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  static unsigned __stdcall Main(void* self) {
    auto& user = *static_cast<LoginUser*>(self);
    while (!user.stop) {
      if (user.OpenDialogs().empty()) {
        Sleep(50);
        continue;
      }
      // A user takes a moment to read and type; workers refused meanwhile
      // must not open more dialogs.
      Sleep(1500);
      std::vector<HWND> open = user.OpenDialogs();
      if (static_cast<int>(open.size()) > user.mostOpen) user.mostOpen = static_cast<int>(open.size());
      if (open.empty()) continue;
      HWND dialog = open.back();
      if (user.password) {
        SendDlgItemMessageA(dialog, IDC_LOGIN_PASSWORD, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(user.password));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      } else {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
      Sleep(300);
    }
    return 0;
  }
  void Start() {
    uiThread = GetCurrentThreadId();
    thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Main, this, 0, nullptr));
  }
  void Finish() {
    stop = true;
    while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) PumpFor(50);
    CloseHandle(thread);
  }
};
}  // namespace

TEST_F(EngineFtp, RefusedLoginIsAskedOnceForAllWorkers) {
  ProgressWindowFixture progress;
  gCurrent.record.anonymous = 0;
  gCurrent.record.connections = 4;
  std::strcpy(gCurrent.record.user, "tester");
  std::strcpy(gCurrent.sessionPassword, "wrong");
  gLoginDialog = true;

  // Cancelled once: every worker gives up, with one line.
  LoginUser cancel;
  cancel.Start();
  EXPECT_EQ(Connect(), kDoneConnectFailed);
  cancel.Finish();
  EXPECT_EQ(gLoginAsked, 1);
  EXPECT_EQ(cancel.mostOpen, 1);
  EXPECT_EQ(CountContaining(progress.Lines(), "error code: 1223"), 1) << Joined(progress.Lines());
  Disconnect();

  // Answered once with the right password: every worker logs in with it.
  gLoginAsked = 0;
  gLoginDeepest = 0;
  LoginUser answer;
  answer.password = "secret";
  answer.Start();
  EXPECT_EQ(Connect(), kDoneConnected);
  EXPECT_TRUE(WaitUntilConnected(4));
  answer.Finish();
  EXPECT_EQ(gLoginAsked, 1);
  EXPECT_EQ(gLoginDeepest, 1);
  EXPECT_EQ(answer.mostOpen, 1);
  EXPECT_STREQ(gCurrent.sessionPassword, "secret");
}

TEST_F(EngineFtp, RefreshAndChangeOfFolderLeaveTheProgressWindowHidden) {
  ProgressWindowFixture progress;
  ASSERT_NE(progress.dialog, nullptr);
  Options().autoShowProgress = true;
  CreateDirectoryA(Local("sub").c_str(), nullptr);
  ASSERT_EQ(Connect(), kDoneConnected);
  ShowWindow(progress.dialog, SW_HIDE);
  List("/" + area_);
  EXPECT_FALSE(IsWindowVisible(progress.dialog));
  auto* cd = new EngineJob();
  CopyText(cd->directory, Remote("sub"));
  EXPECT_EQ(Run(ChangeDirectoryJob, cd), 0x110000u);
  FreeJob(cd);
  EXPECT_FALSE(IsWindowVisible(progress.dialog));
}

TEST_F(EngineFtp, AWorkerThatCannotComeBackAfterItsKeepAliveTakesNoRequests) {
  UseLimitedPeer();
  if (HasFatalFailure()) return;
  gCurrent.record.connections = 2;
  gCurrent.record.keepAlive = 1;
  std::strcpy(gCurrent.record.keepAliveCommand, "NOOP");
  SetKeepAliveInterval(300);
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) {
    names.push_back("k" + std::to_string(i) + ".txt");
    WriteFile(Local(names.back()), "kept " + std::to_string(i));
  }
  WriteFile(Local("dropothers-1"), "");
  ASSERT_EQ(Connect(), kDoneConnected);
  ASSERT_TRUE(WaitUntilConnected(2));
  // One worker's delete makes the server close the other, idle connection
  // and let nobody back in: that worker's keep-alive finds it and ends.
  auto* del = new EngineJob();
  del->items = std::make_unique<std::vector<FileEntry>>(1);
  CopyText((*del->items)[0].name, Remote("dropothers-1").substr(1));
  (*del->items)[0].attributes = kAttrNormal;
  Run(DeleteJob, del);
  FreeJob(del);
  PumpFor(10000, [] { return ConnectedWorkers() < 2; });
  PumpFor(500);
  EXPECT_EQ(ConnectedWorkers(), 1);

  const std::string target = std::string(TempFolder()) + "vorto-kept-" + area_;
  Download(target, names);
  for (const std::string& name : names) EXPECT_EQ(ReadFile(target + "\\" + name), ReadFile(Local(name))) << name;
  SetKeepAliveInterval(0);
}
