// The engine against the real FTP peer on loopback: workers connect,
// jobs run their requests, and the server's folder shows the effects.
#include <windows.h>
#include <wininet.h>
#include <objbase.h>
#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "engine/engine_win.h"
#include "engine/progress_win.h"
#include "engine/progressapi_win.h"
#include "res/resource.h"
#include "base/textbuf.h"
#include "profiles/current_win.h"
#include "support/peers_win.h"
#include "support/registry_fixture_win.h"

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
    return gLoginAnswer;
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
    GetTempPathA(sizeof TempFolder(), TempFolder());
    SetDefaultProfile(gCurrent.record);
    SetDefaultLists(gCurrent.lists);
    std::strcpy(gCurrent.name, "peer");
    std::strcpy(gCurrent.record.host, "127.0.0.1");
    gCurrent.record.ftpPort = port_;
    gCurrent.record.anonymous = 1;
    gCurrent.record.passive = 1;
    gLoginAsked = 0;
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
  RequestCancel();
  EXPECT_EQ(Run(ExecuteTransferListJob, job), kDoneRefreshLocal);
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
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::strcpy(std::strrchr(path, '\\') + 1, "vortores.dll");
  SetResourceLibrary(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
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
