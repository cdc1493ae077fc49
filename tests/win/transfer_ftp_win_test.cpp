// Transfers against the real FTP peers on loopback: selections of files
// and folder trees both ways, text and binary, the questions about existing
// items, synchronize, cancel, and a server that dies in the middle.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/progress_win.h"
#include "engine/progressapi_win.h"
#include "engine/transfer_win.h"
#include "engine/transferrules.h"
#include "profiles/current_win.h"
#include "res/resource.h"
#include "support/inetcache_win.h"
#include "support/files_win.h"
#include "support/peers_win.h"
#include "support/registry_fixture_win.h"

namespace {
struct Completion {
  EngineJob* job = nullptr;
  uint32_t flags = 0;
  bool arrived = false;
};
Completion gDone;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_JOB_DONE) {
    JobCompleted();
    gDone.job = reinterpret_cast<EngineJob*>(wParam);
    gDone.flags = static_cast<uint32_t>(lParam);
    gDone.arrived = true;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// What the engine told the progress window: error lines, worker rows and
// per-file percentages. It stands in for the dialog and its worker page.
struct ProgressRecord {
  std::vector<std::string> lines;
  std::vector<std::string> rows;
  std::vector<int> percents;
  size_t cancelAtPercents = 0;  // request cancel at this many reports below 100 %
  bool HasLine(const std::string& part) const {
    for (const std::string& l : lines)
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  std::string AllLines() const {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
  }
};
ProgressRecord gProgress;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case PM_REPORT:
      gProgress.lines.emplace_back(reinterpret_cast<const char*>(lParam));
      return 0;
    case PM_WORKER_STATUS:
      gProgress.rows.emplace_back(reinterpret_cast<const char*>(lParam));
      return 0;
    case PM_WORKER_PERCENT: {
      const int percent = static_cast<int>(wParam >> 16);
      gProgress.percents.push_back(percent);
      size_t below = 0;
      for (int p : gProgress.percents) below += p < 100;
      if (gProgress.cancelAtPercents && below >= gProgress.cancelAtPercents) RequestCancel();
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Answers of the overwrite questions, scripted by each test.
int gAnswer = 6;
int gQuestions = 0;
bool gOnlyIfNewer = false;
int Answer(OverwriteQuestion& q) {
  ++gQuestions;
  q.onlyIfNewer = gOnlyIfNewer;
  return gAnswer;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void Put(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary);
  out << data;
}
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}


// Files below `folder`, relative names with their contents.
void Collect(const std::string& folder, const std::string& prefix, std::vector<std::string>& out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(prefix + name + "/");
      Collect(folder + "\\" + name, prefix + name + "/", out);
    } else {
      out.push_back(prefix + name + "=" + Slurp(folder + "\\" + name));
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(out.begin(), out.end());
}
std::vector<std::string> Tree(const std::string& folder) {
  std::vector<std::string> out;
  Collect(folder, "", out);
  return out;
}

TransferItem Selected(const std::string& path, bool folder, int64_t size = 0, FILETIME time = {}) {
  TransferItem item = {};
  CopyText(item.source, path);
  item.kind = folder ? kAttrDirectory : kAttrNormal;
  item.size = size;
  item.fileTime = time;
  return item;
}

class TransferFtp : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VortoTransferTestMain";
    RegisterClassA(&wc);
    SetMainWindow(CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    WNDCLASSA rc = {};
    rc.lpfnWndProc = RecorderProc;
    rc.hInstance = GetModuleHandleA(nullptr);
    rc.lpszClassName = "VortoTransferTestProgress";
    RegisterClassA(&rc);
    recorder_ = CreateWindowA(rc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    gProgressWindows.dialog = gProgressWindows.workerPage = recorder_;
    gProgress = ProgressRecord{};
    LoadTestResourceLibrary();
    SetInternetSession(InternetOpenA("Vorto", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    Options().transferMode = kModeAuto;
    SetDefaultProfile(gCurrent.record);
    SetDefaultLists(gCurrent.lists);
    std::strcpy(gCurrent.name, "peer");
    std::strcpy(gCurrent.record.host, "127.0.0.1");
    gCurrent.record.anonymous = 1;
    gCurrent.record.passive = 1;
    gCurrent.record.connections = 4;
    UsePeer("ftp");
    SetOverwriteHook(Answer);
    SetCopyFailureBoxes(false);
    gAnswer = 6;
    gQuestions = 0;
    gOnlyIfNewer = false;
    area_ = "x" + std::to_string(GetTickCount());
    local_ = std::string(TempFolder()) + "vorto-" + area_;
    CreateDirectoryA(local_.c_str(), nullptr);
  }
  void TearDown() override {
    Disconnect();
    ClearCancelRequest();
    SetOverwriteHook(nullptr);
    RemoveTree(local_);
    RemoveTree(root_ + "\\" + area_);
    ClearInternetCache();
    DestroyWindow(MainWindow());
    SetMainWindow(nullptr);
    gProgressWindows.dialog = gProgressWindows.workerPage = nullptr;
    DestroyWindow(recorder_);
    if (ResourceLibrary()) FreeLibrary(ResourceLibrary());
    SetResourceLibrary(nullptr);
    Options().hideHiddenServer = false;
    InternetCloseHandle(InternetSession());
    SetInternetSession(nullptr);
    RegistryTest::TearDown();
  }

  void UsePeer(const char* name, const char* rootFolder = "root") {
    port_ = PeerPort(name);
    ASSERT_NE(port_, 0) << name << " peer not running";
    gCurrent.record.ftpPort = port_;
    root_ = PeerFolder(name) + "\\" + rootFolder;
  }
  void MakeArea() { CreateDirectoryA((root_ + "\\" + area_).c_str(), nullptr); }

  // Pumps messages until a job's completion arrives.
  uint32_t Wait(DWORD timeoutMs = 120000) {
    DWORD start = GetTickCount();
    MSG msg;
    while (!gDone.arrived && GetTickCount() - start < timeoutMs) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    EXPECT_TRUE(gDone.arrived) << "job did not complete";
    return gDone.flags;
  }
  uint32_t Run(JobFunction function, EngineJob* job) {
    gDone = Completion{};
    EXPECT_TRUE(StartJob(function, job));
    return Wait();
  }
  void Connect() {
    ASSERT_GT(StartWorkers(), 0);
    auto* job = new EngineJob();
    ASSERT_EQ(Run(ConnectJob, job), kDoneConnected);
    FreeJob(job);
    // Pumping: the workers still show their rows to the recorder.
    DWORD start = GetTickCount();
    MSG msg;
    while (ConnectedWorkers() < WorkerCount() && GetTickCount() - start < 20000) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
  }
  void Disconnect() {
    if (WorkerCount() == 0) return;
    auto* job = new EngineJob();
    Run(DisconnectJob, job);
    FreeJob(job);
  }
  // Runs a transfer of `items` and returns its completion flags.
  uint32_t Transfer(const std::string& destination, int direction, std::vector<TransferItem> items,
                    uint32_t flags = 0, EngineJob** keep = nullptr) {
    gDone = Completion{};
    EXPECT_TRUE(StartTransfer(destination.c_str(), direction, flags, std::move(items)));
    uint32_t done = Wait();
    if (keep) *keep = gDone.job;
    else FreeJob(gDone.job);
    return done;
  }
  std::string Remote(const std::string& name = "") { return "/" + area_ + (name.empty() ? "" : "/" + name); }
  std::string OnServer(const std::string& name = "") {
    return root_ + "\\" + area_ + (name.empty() ? "" : "\\" + name);
  }
  std::string Local(const std::string& name = "") { return local_ + (name.empty() ? "" : "\\" + name); }
  // An empty file made over FTP in `folder`, for names this side's file
  // system cannot make itself.
  void MakeServerFile(const std::string& folder, const std::string& name) {
    HINTERNET ftp = InternetConnectA(InternetSession(), "127.0.0.1", static_cast<INTERNET_PORT>(port_), nullptr, nullptr,
                                     INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    ASSERT_NE(ftp, nullptr);
    ASSERT_TRUE(FtpSetCurrentDirectoryA(ftp, folder.c_str()));
    HINTERNET file = FtpOpenFileA(ftp, name.c_str(), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0);
    ASSERT_NE(file, nullptr) << name;
    InternetCloseHandle(file);
    InternetCloseHandle(ftp);
  }

  int port_ = 0;
  std::string root_, area_, local_;
  HWND recorder_ = nullptr;
};

// Sets the write time of every file below `folder` an hour back.
void AgeFiles(const std::string& folder) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t;
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart -= 36000000000ULL;
  FILETIME old = {t.LowPart, t.HighPart};
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      AgeFiles(path);
      continue;
    }
    HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      SetFileTime(f, nullptr, nullptr, &old);
      CloseHandle(f);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

void MakeSampleTree(const std::string& top) {
  CreateDirectoryA(top.c_str(), nullptr);
  CreateDirectoryA((top + "\\one").c_str(), nullptr);
  CreateDirectoryA((top + "\\one\\two").c_str(), nullptr);
  CreateDirectoryA((top + "\\one\\two\\three").c_str(), nullptr);
  CreateDirectoryA((top + "\\empty").c_str(), nullptr);
  Put(top + "\\zero.bin", "");
  Put(top + "\\block.bin", RandomBytes(65536, 1));
  Put(top + "\\one\\block1.bin", RandomBytes(65537, 2));
  Put(top + "\\one\\two\\odd.bin", RandomBytes(300001, 3));
  Put(top + "\\one\\two\\three\\deep.dat", RandomBytes(17, 4));
}
}  // namespace

TEST_F(TransferFtp, FolderTreesTravelBothWaysByteForByte) {
  MakeArea();
  MakeSampleTree(Local("tree"));
  Connect();
  EXPECT_EQ(Transfer(Remote(), 1, {Selected(Local("tree"), true)}), kDoneRefreshServer);
  EXPECT_EQ(Tree(OnServer("tree")), Tree(Local("tree")));
  EXPECT_EQ(Tree(OnServer("tree")).size(), 9u);

  CreateDirectoryA(Local("back").c_str(), nullptr);
  EXPECT_EQ(Transfer(Local("back"), 0, {Selected(Remote("tree"), true)}), kDoneRefreshLocal);
  EXPECT_EQ(Tree(Local("back\\tree")), Tree(Local("tree")));
  EXPECT_EQ(gQuestions, 0);
}

TEST_F(TransferFtp, AThousandSmallFilesOnFourWorkers) {
  MakeArea();
  CreateDirectoryA(Local("many").c_str(), nullptr);
  for (int i = 0; i < 1000; ++i) Put(Local("many\\f" + std::to_string(i) + ".dat"), RandomBytes(1 + i % 700, i));
  Connect();
  EXPECT_EQ(Transfer(Remote(), 1, {Selected(Local("many"), true)}), kDoneRefreshServer);
  EXPECT_EQ(Tree(OnServer("many")), Tree(Local("many")));
  CreateDirectoryA(Local("back").c_str(), nullptr);
  EXPECT_EQ(Transfer(Local("back"), 0, {Selected(Remote("many"), true)}), kDoneRefreshLocal);
  EXPECT_EQ(Tree(Local("back\\many")), Tree(Local("many")));
}

TEST_F(TransferFtp, LargeFileUpAndDown) {
  MakeArea();
  const std::string data = RandomBytes(64u << 20, 7);
  Put(Local("big.bin"), data);
  Connect();
  EXPECT_EQ(Transfer(Remote(), 1, {Selected(Local("big.bin"), false)}), kDoneRefreshServer);
  EXPECT_TRUE(Slurp(OnServer("big.bin")) == data);
  CreateDirectoryA(Local("back").c_str(), nullptr);
  EXPECT_EQ(Transfer(Local("back"), 0, {Selected(Remote("big.bin"), false, data.size())}), kDoneRefreshLocal);
  EXPECT_TRUE(Slurp(Local("back\\big.bin")) == data);
  ClearInternetCache();
}

TEST_F(TransferFtp, TextModeConvertsLineEndsAndBinaryDoesNot) {
  MakeArea();
  gCurrent.lists.asciiTypes = {"txt"};
  Put(OnServer("README.TXT"), "one\ntwo\n");
  Put(OnServer("archive.tar.gz"), "one\ntwo\n");
  Put(Local("up.txt"), "a\r\nb\r\n");
  Put(Local("up.bin"), "a\r\nb\r\n");
  Connect();
  Transfer(Local(), 0, {Selected(Remote("README.TXT"), false), Selected(Remote("archive.tar.gz"), false)});
  EXPECT_EQ(Slurp(Local("README.TXT")), "one\r\ntwo\r\n");
  EXPECT_EQ(Slurp(Local("archive.tar.gz")), "one\ntwo\n");
  Transfer(Remote(), 1, {Selected(Local("up.txt"), false), Selected(Local("up.bin"), false)});
  EXPECT_EQ(Slurp(OnServer("up.txt")), "a\nb\n");
  EXPECT_EQ(Slurp(OnServer("up.bin")), "a\r\nb\r\n");
  // The binary mode command sends even a listed type unchanged.
  Options().transferMode = kModeBinary;
  DeleteFileA(Local("README.TXT").c_str());
  Transfer(Local(), 0, {Selected(Remote("README.TXT"), false)});
  EXPECT_EQ(Slurp(Local("README.TXT")), "one\ntwo\n");
}

TEST_F(TransferFtp, PermissionAfterUploadOnlyForListedTypesAndTimesAfterDownload) {
  MakeArea();
  gCurrent.record.setFilePermission = 2;
  gCurrent.record.filePermission = 0444;
  gCurrent.lists.permissionTypes = {"cgi"};
  Put(Local("run.cgi"), "#!");
  Put(Local("page.html"), "<p>");
  Connect();
  Transfer(Remote(), 1, {Selected(Local("run.cgi"), false), Selected(Local("page.html"), false)});
  EXPECT_NE(GetFileAttributesA(OnServer("run.cgi").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(GetFileAttributesA(OnServer("page.html").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

  gCurrent.record.keepDownloadTimes = 1;
  SYSTEMTIME st = {2001, 2, 0, 3, 4, 5, 6, 0};
  FILETIME stamp;
  SystemTimeToFileTime(&st, &stamp);
  CreateDirectoryA(Local("in").c_str(), nullptr);
  Transfer(Local("in"), 0, {Selected(Remote("page.html"), false, 3, stamp)});
  HANDLE f = CreateFileA(Local("in\\page.html").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  FILETIME written;
  GetFileTime(f, nullptr, nullptr, &written);
  CloseHandle(f);
  EXPECT_EQ(CompareFileTime(&written, &stamp), 0);
}

TEST_F(TransferFtp, ExistingFilesAreReplacedOnlyAsAnswered) {
  MakeArea();
  Put(OnServer("a.txt"), "server");
  Put(Local("a.txt"), "local");
  Connect();
  gAnswer = 7;  // no
  EXPECT_EQ(Transfer(Local(), 0, {Selected(Remote("a.txt"), false)}), kDoneRefreshLocal);
  EXPECT_EQ(gQuestions, 1);
  EXPECT_EQ(Slurp(Local("a.txt")), "local");
  gAnswer = 2;  // cancel: the job fails and nothing is replaced
  EXPECT_EQ(Transfer(Local(), 0, {Selected(Remote("a.txt"), false)}), kDoneRefreshLocal);
  EXPECT_EQ(Slurp(Local("a.txt")), "local");
  gAnswer = 6;
  Transfer(Local(), 0, {Selected(Remote("a.txt"), false)});
  EXPECT_EQ(Slurp(Local("a.txt")), "server");
  // The profile's overwrite flag answers without asking.
  gQuestions = 0;
  gCurrent.record.overwriteWithoutAsking = 1;
  Put(Local("a.txt"), "local again");
  Transfer(Local(), 0, {Selected(Remote("a.txt"), false)});
  EXPECT_EQ(gQuestions, 0);
  EXPECT_EQ(Slurp(Local("a.txt")), "server");
}

TEST_F(TransferFtp, AFailedDownloadLeavesTheFileItWouldReplace) {
  MakeArea();
  Put(Local("keep.txt"), "precious");
  Connect();
  gCurrent.record.overwriteWithoutAsking = 1;
  // The listing of the destination has keep.txt, the server has no such file.
  uint32_t flags = Transfer(Local(), 0, {Selected(Remote("keep.txt"), false)});
  EXPECT_EQ(flags, kDoneRefreshLocal);
  EXPECT_EQ(Slurp(Local("keep.txt")), "precious");
  std::vector<std::string> left = Tree(Local());
  EXPECT_EQ(left.size(), 1u) << "a temporary file stayed behind";
}

TEST_F(TransferFtp, CopiesForEditingGetAFreeNameAndGoBackOverTheOriginal) {
  MakeArea();
  Put(OnServer("a.txt"), "v1");
  Put(Local("a.txt"), "other");
  Put(Local("a1.txt"), "other");
  Connect();
  EngineJob* job = nullptr;
  uint32_t flags = Transfer(Local(), 0, {Selected(Remote("a.txt"), false)}, kTransferEdit, &job);
  EXPECT_EQ(flags, kTransferEdit);  // no refresh: the follow-up opens the copy
  ASSERT_NE(job, nullptr);
  ASSERT_EQ(job->transferList->size(), 1u);
  EXPECT_EQ(std::string((*job->transferList)[0].destination), Local("a2.txt"));
  FreeJob(job);
  EXPECT_EQ(Slurp(Local("a2.txt")), "v1");
  EXPECT_EQ(gQuestions, 0);

  Put(Local("a2.txt"), "v2");
  gDone = Completion{};
  ASSERT_TRUE(UploadFile(Remote("a.txt").c_str(), Local("a2.txt").c_str()));
  EXPECT_EQ(Wait(), kTransferReplaceQuietly | kTransferRestartWatch | kDoneRefreshServer);
  FreeJob(gDone.job);
  EXPECT_EQ(Slurp(OnServer("a.txt")), "v2");
  EXPECT_FALSE(Exists(OnServer("a2.txt")));
  EXPECT_EQ(gQuestions, 0);
}

TEST_F(TransferFtp, SynchronizeMirrorsTheLocalTreeAfterReview) {
  MakeArea();
  gCurrent.lists.notDeleted = {".*", "cgi-bin"};
  MakeSampleTree(Local("site"));
  // Listings give server times to the minute here: local files an hour old
  // are older than their fresh copies on the server, whatever the second.
  AgeFiles(Local("site"));
  CreateDirectoryA(OnServer("site").c_str(), nullptr);
  CreateDirectoryA(OnServer("site\\cgi-bin").c_str(), nullptr);
  CreateDirectoryA(OnServer("site\\stale").c_str(), nullptr);
  Put(OnServer("site\\stale\\old.txt"), "old");
  Put(OnServer("site\\gone.txt"), "gone");
  Put(OnServer("site\\.htaccess"), "keep");
  Put(OnServer("site\\cgi-bin\\run.cgi"), "keep");
  Connect();
  gDone = Completion{};
  ASSERT_TRUE(StartSynchronize(Local("site").c_str(), Remote("site").c_str()));
  EXPECT_EQ(Wait(), kDoneKeepJob);
  EngineJob* job = gDone.job;
  ASSERT_NE(job->transferList, nullptr);
  EXPECT_FALSE(job->transferList->empty());
  EXPECT_TRUE(Exists(OnServer("site\\gone.txt"))) << "nothing runs before the review";
  gDone = Completion{};
  ASSERT_TRUE(RunReviewedList(job));
  EXPECT_EQ(Wait(), kDoneRefreshServer);
  FreeJob(job);
  EXPECT_FALSE(Exists(OnServer("site\\gone.txt")));
  EXPECT_FALSE(Exists(OnServer("site\\stale")));
  EXPECT_EQ(Slurp(OnServer("site\\.htaccess")), "keep");
  EXPECT_EQ(Slurp(OnServer("site\\cgi-bin\\run.cgi")), "keep");
  EXPECT_EQ(Slurp(OnServer("site\\one\\two\\odd.bin")), Slurp(Local("site\\one\\two\\odd.bin")));
  EXPECT_TRUE(Exists(OnServer("site\\empty")));

  // A second walk finds nothing left to do.
  gDone = Completion{};
  ASSERT_TRUE(StartSynchronize(Local("site").c_str(), Remote("site").c_str()));
  Wait();
  EXPECT_TRUE(gDone.job->transferList->empty());
  FreeJob(gDone.job);
}

namespace {
// Requests cancel once `path` holds at least `bytes`.
struct Watcher {
  std::string path;
  LONGLONG bytes;
  static DWORD WINAPI Run(void* p) {
    auto* w = static_cast<Watcher*>(p);
    for (int i = 0; i < 3000; ++i) {
      WIN32_FILE_ATTRIBUTE_DATA data;
      if (GetFileAttributesExA(w->path.c_str(), GetFileExInfoStandard, &data) &&
          ((static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) >= w->bytes) {
        RequestCancel();
        return 0;
      }
      Sleep(5);
    }
    return 1;
  }
};
}  // namespace

TEST_F(TransferFtp, CancelMidFileStopsTheCopyAndKeepsTheTarget) {
  MakeArea();
  Put(Local("big.bin"), RandomBytes(48u << 20, 9));
  Connect();
  Watcher w{OnServer("big.bin"), 1 << 20};
  HANDLE t = CreateThread(nullptr, 0, Watcher::Run, &w, 0, nullptr);
  EXPECT_EQ(Transfer(Remote(), 1, {Selected(Local("big.bin"), false)}), kDoneRefreshServer);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_TRUE(IsCancelRequested());
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(OnServer("big.bin").c_str(), GetFileExInfoStandard, &data));
  EXPECT_LT(data.nFileSizeLow, 48u << 20);
  ClearCancelRequest();
}

TEST_F(TransferFtp, AServerThatDiesMidFileFailsTheFile) {
  UsePeer("ftpkill");
  gCurrent.record.connections = 1;
  MakeArea();
  const std::string data = RandomBytes(48u << 20, 11);
  Put(OnServer("big.bin"), data);
  Put(Local("big.bin"), "old copy");
  gCurrent.record.overwriteWithoutAsking = 1;
  Connect();
  // The server ends itself once a part of the file has gone out.
  struct Killer {
    int port;
    std::string path;
    static DWORD WINAPI Run(void* p) {
      auto* k = static_cast<Killer*>(p);
      for (int i = 0; i < 3000; ++i) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(k->path.c_str(), &fd);
        bool started = false;
        if (h != INVALID_HANDLE_VALUE) {
          // The download's temporary file beside the target grows.
          started = fd.nFileSizeLow > (1u << 20);
          FindClose(h);
        }
        if (started) break;
        Sleep(5);
      }
      HINTERNET net = InternetOpenA("killer", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
      HINTERNET ftp = InternetConnectA(net, "127.0.0.1", static_cast<INTERNET_PORT>(k->port), nullptr, nullptr,
                                       INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
      if (ftp) FtpCommandA(ftp, FALSE, FTP_TRANSFER_TYPE_ASCII, "SITE DIE", 0, nullptr);
      if (ftp) InternetCloseHandle(ftp);
      InternetCloseHandle(net);
      return 0;
    }
  } killer{port_, Local("vto*.tmp")};
  HANDLE t = CreateThread(nullptr, 0, Killer::Run, &killer, 0, nullptr);
  uint32_t flags = Transfer(Local(), 0, {Selected(Remote("big.bin"), false, data.size())});
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_EQ(flags, kDoneRefreshLocal);
  // Whatever arrived, the old copy is either kept or wholly replaced.
  std::string now = Slurp(Local("big.bin"));
  EXPECT_TRUE(now == "old copy" || now == data) << now.size();
  EXPECT_EQ(Tree(Local()).size(), 1u) << "a temporary file stayed behind";
  ClearInternetCache();
}

TEST_F(TransferFtp, VsftpdBothWays) {
  // Anonymously, in the peer's own writable folder: the local test user is
  // shared by every vsftpd peer on the machine, so its home may be another's.
  UsePeer("vsftpd", "anon\\pub");
  MakeArea();
  MakeSampleTree(OnServer("served"));
  // Uploads go straight into pub, the one folder anonymous users may write.
  const std::string up = area_ + "up";
  MakeSampleTree(Local(up));
  Connect();
  EXPECT_EQ(Transfer("/pub", 1, {Selected(Local(up), true)}), kDoneRefreshServer);
  EXPECT_EQ(Tree(root_ + "\\" + up), Tree(Local(up)));
  RemoveTree(root_ + "\\" + up);
  // This server keeps anonymous uploads unreadable to anonymous users, so
  // the download takes a tree the test put there itself.
  CreateDirectoryA(Local("back").c_str(), nullptr);
  EXPECT_EQ(Transfer(Local("back"), 0, {Selected("/pub/" + area_ + "/served", true)}), kDoneRefreshLocal);
  EXPECT_EQ(Tree(Local("back\\served")), Tree(OnServer("served")));
  EXPECT_EQ(Tree(Local("back\\served")).size(), 9u);
}

namespace {
// Samples how many workers run a request at once until told to stop.
struct BusySampler {
  volatile LONG stop = 0;
  volatile LONG most = 0;
  static DWORD WINAPI Run(void* p) {
    auto* s = static_cast<BusySampler*>(p);
    while (!s->stop) {
      LONG busy = BusyWorkers();
      if (busy > s->most) s->most = busy;
      Sleep(1);
    }
    return 0;
  }
};
}  // namespace

TEST_F(TransferFtp, AListOfFilesRunsOnAllWorkersAtOnce) {
  MakeArea();
  std::vector<TransferItem> items;
  for (int i = 0; i < 8; ++i) {
    std::string name = "p" + std::to_string(i) + ".bin";
    Put(OnServer(name), RandomBytes(4u << 20, 20 + i));
    items.push_back(Selected(Remote(name), false, 4u << 20));
  }
  Connect();
  ASSERT_EQ(WorkerCount(), 4);
  BusySampler sampler;
  HANDLE t = CreateThread(nullptr, 0, BusySampler::Run, &sampler, 0, nullptr);
  EXPECT_EQ(Transfer(Local(), 0, items), kDoneRefreshLocal);
  InterlockedExchange(&sampler.stop, 1);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_EQ(sampler.most, 4);
  for (int i = 0; i < 8; ++i) {
    std::string name = "p" + std::to_string(i) + ".bin";
    EXPECT_TRUE(Slurp(Local(name)) == Slurp(OnServer(name))) << name;
  }
  ClearInternetCache();
}

TEST_F(TransferFtp, ABrokenOffServerListingFailsTheWalkInsteadOfReadingEmpty) {
  MakeArea();
  // The server breaks off the listing of brokenlist (426 after the data
  // connection opened): its files must not read as missing.
  CreateDirectoryA(Local("site").c_str(), nullptr);
  CreateDirectoryA(Local("site\\brokenlist").c_str(), nullptr);
  Put(Local("site\\brokenlist\\a.txt"), "old local");
  AgeFiles(Local("site"));
  CreateDirectoryA(OnServer("site").c_str(), nullptr);
  CreateDirectoryA(OnServer("site\\brokenlist").c_str(), nullptr);
  Put(OnServer("site\\brokenlist\\a.txt"), "newer on the server");
  Connect();
  gDone = Completion{};
  ASSERT_TRUE(StartSynchronize(Local("site").c_str(), Remote("site").c_str()));
  EXPECT_EQ(Wait(), kDoneKeepJob);
  ASSERT_NE(gDone.job->transferList, nullptr);
  EXPECT_TRUE(gDone.job->transferList->empty()) << "a walk over an unread folder offered steps";
  FreeJob(gDone.job);
  EXPECT_TRUE(gProgress.HasLine("[FtpFindFirstFile]")) << gProgress.AllLines();
  EXPECT_TRUE(gProgress.HasLine("426")) << gProgress.AllLines();

  // A download of the folder fails the same way instead of bringing nothing.
  gProgress.lines.clear();
  CreateDirectoryA(Local("back").c_str(), nullptr);
  Transfer(Local("back"), 0, {Selected(Remote("site/brokenlist"), true)});
  EXPECT_TRUE(gProgress.HasLine("[FtpFindFirstFile]")) << gProgress.AllLines();
  EXPECT_EQ(Slurp(OnServer("site\\brokenlist\\a.txt")), "newer on the server");
}

TEST_F(TransferFtp, WalksSeeServerDotFilesWhateverThePaneHides) {
  Options().hideHiddenServer = true;
  // Dot files are transferred and deleted like any other name here.
  gCurrent.lists.notTransferred.clear();
  gCurrent.lists.notDeleted.clear();
  MakeArea();
  CreateDirectoryA(Local("site").c_str(), nullptr);
  Put(Local("site\\.htaccess"), "old local");
  AgeFiles(Local("site"));
  CreateDirectoryA(OnServer("site").c_str(), nullptr);
  Put(OnServer("site\\.htaccess"), "newer on the server");
  Connect();
  gDone = Completion{};
  ASSERT_TRUE(StartSynchronize(Local("site").c_str(), Remote("site").c_str()));
  Wait();
  EXPECT_TRUE(gDone.job->transferList->empty()) << "the older local copy would replace the server's";
  FreeJob(gDone.job);
  // A transfer into the folder asks before it replaces the server's copy,
  // and only-if-newer keeps the newer one.
  gAnswer = 6;
  gOnlyIfNewer = true;
  Transfer(Remote(), 1, {Selected(Local("site"), true)});
  EXPECT_EQ(gQuestions, 2);  // the folder, then .htaccess
  EXPECT_EQ(Slurp(OnServer("site\\.htaccess")), "newer on the server");
}

TEST_F(TransferFtp, EveryFailureAndWorkerRowNamesWhatItIsAbout) {
  // Every status the engine shows has its text in the resource library.
  for (UINT id : {118u, 261u, 274u, 275u, 276u, 277u, 278u, 279u, 282u, 284u, 285u, 287u, 288u, 289u, 290u, 292u}) {
    char text[256] = {};
    EXPECT_GT(LoadStringA(ResourceLibrary(), id, text, sizeof text), 0) << "string " << id;
  }
  MakeArea();
  Put(OnServer("f.txt"), "f");
  // Names that only the server can have: one no local file may bear, and
  // one whose full path is too long for the 260-byte paths.
  CreateDirectoryA(OnServer("names").c_str(), nullptr);
  MakeServerFile(Remote("names"), "trailing.");
  CreateDirectoryA(OnServer("long").c_str(), nullptr);
  CreateDirectoryA(OnServer("long\\deeper").c_str(), nullptr);
  const std::string longName(250, 'n');
  MakeServerFile(Remote("long/deeper"), longName);
  Connect();

  auto* cd = new EngineJob();
  CopyText(cd->directory, Remote().c_str());
  Run(ChangeDirectoryJob, cd);
  FreeJob(cd);
  auto* rename = new EngineJob();
  rename->names = std::make_unique<std::vector<std::string>>(std::vector<std::string>{Remote("f.txt"), Remote("g.txt")});
  Run(RenameOrCopyJob, rename);
  FreeJob(rename);
  auto* chmod = new EngineJob();
  chmod->names = std::make_unique<std::vector<std::string>>(std::vector<std::string>{Remote("g.txt"), "644"});
  Run(ChmodJob, chmod);
  FreeJob(chmod);
  ASSERT_FALSE(gProgress.rows.empty());
  for (const std::string& row : gProgress.rows) {
    size_t colon = row.find(": ");
    ASSERT_NE(colon, std::string::npos) << row;
    EXPECT_GT(row.size(), colon + 2) << "row without text: " << row;
    if (row.size() > colon + 2) EXPECT_NE(row[colon + 2], ' ') << "row without text: " << row;
  }

  // A refused name says which file in which folder.
  CreateDirectoryA(Local("back").c_str(), nullptr);
  Transfer(Local("back"), 0, {Selected(Remote("names"), true)});
  EXPECT_TRUE(gProgress.HasLine("[TransferName]")) << gProgress.AllLines();
  EXPECT_TRUE(gProgress.HasLine("\"trailing.\" in " + Local("back\\names"))) << gProgress.AllLines();

  // Saving or copying the listing text never fails silently.
  gProgress.lines.clear();
  auto* save = new EngineJob();
  CopyText(save->directory, Remote().c_str());
  CopyText(save->resultPath, Local("listing.txt").c_str());
  save->flags = kListSaveToFile | kListToClipboard;
  Run(RefreshListingJob, save);
  FreeJob(save);
  EXPECT_TRUE(Slurp(Local("listing.txt")).find("g.txt") != std::string::npos || gProgress.HasLine("[SaveListing]"))
      << gProgress.AllLines();
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT) || gProgress.HasLine("[CopyListing]")) << gProgress.AllLines();

  // A recursive delete that has to skip a name says so.
  gProgress.lines.clear();
  auto* del = new EngineJob();
  del->items = std::make_unique<std::vector<FileEntry>>(1);
  CopyText((*del->items)[0].name, Remote("long").c_str());
  // The folder is listed with every entry: the long name is met and skipped.
  (*del->items)[0].attributes = kAttrDirectory;
  Run(DeleteJob, del);
  FreeJob(del);
  EXPECT_TRUE(gProgress.HasLine(longName)) << gProgress.AllLines();
}

TEST_F(TransferFtp, AFolderThatCannotBeMadeStopsTheList) {
  MakeArea();
  // The server refuses to make any folder whose name begins with "refused".
  CreateDirectoryA(Local("up").c_str(), nullptr);
  CreateDirectoryA(Local("up\\refusedsub").c_str(), nullptr);
  CreateDirectoryA(Local("up\\refusedsub\\inner").c_str(), nullptr);
  for (int i = 0; i < 5; ++i) Put(Local("up\\refusedsub\\f" + std::to_string(i) + ".bin"), RandomBytes(100, i));
  Put(Local("up\\refusedsub\\inner\\g.bin"), "g");
  Connect();
  EXPECT_EQ(Transfer(Remote(), 1, {Selected(Local("up"), true)}), kDoneRefreshServer);
  EXPECT_TRUE(Exists(OnServer("up")));
  EXPECT_FALSE(Exists(OnServer("up\\refusedsub")));
  // One line for the folder, none for each file that had nowhere to go.
  EXPECT_EQ(gProgress.lines.size(), 1u) << gProgress.AllLines();
  EXPECT_TRUE(gProgress.HasLine("[FtpCreateDirectory]")) << gProgress.AllLines();
}

TEST_F(TransferFtp, ASlowLinkShowsProgressAndCancelsWithinAFile) {
  // 64 KB/s each way: a file of 1 000 000 bytes takes about sixteen seconds.
  // The system's socket buffers take the first few hundred kilobytes of an
  // upload at once, before a cancel can arrive, and those still reach the
  // server: the file is larger, so that the writes wait for the link and
  // the cancel meets them within the file.
  UsePeer("ftpslow");
  gCurrent.record.connections = 1;
  MakeArea();
  const std::string data = RandomBytes(1000000, 31);
  Put(OnServer("slow.bin"), data);
  Put(Local("up.bin"), data);
  Connect();
  auto reportsBelowEnd = [] {
    size_t below = 0;
    for (int p : gProgress.percents) below += p < 100;
    return below;
  };
  // Cancel once the file has reported its progress twice, well before its end.
  gProgress.cancelAtPercents = 2;
  EXPECT_EQ(Transfer(Remote(), 1, {Selected(Local("up.bin"), false)}), kDoneRefreshServer);
  EXPECT_TRUE(IsCancelRequested());
  EXPECT_GE(reportsBelowEnd(), 2u) << "progress was reported only at the end of the file";
  WIN32_FILE_ATTRIBUTE_DATA sent;
  ASSERT_TRUE(GetFileAttributesExA(OnServer("up.bin").c_str(), GetFileExInfoStandard, &sent));
  EXPECT_LT(sent.nFileSizeLow, data.size()) << "the cancel came after the whole file";

  ClearCancelRequest();
  gProgress.percents.clear();
  CreateDirectoryA(Local("back").c_str(), nullptr);
  EXPECT_EQ(Transfer(Local("back"), 0, {Selected(Remote("slow.bin"), false, data.size())}), kDoneRefreshLocal);
  EXPECT_TRUE(IsCancelRequested());
  EXPECT_GE(reportsBelowEnd(), 2u) << "progress was reported only at the end of the file";
  EXPECT_EQ(Tree(Local("back")).size(), 0u) << "the cancelled download was kept";
  ClearCancelRequest();
  ClearInternetCache();
}

TEST_F(TransferFtp, ACopyOnTheServerShowsItsSizeAndPercent) {
  MakeArea();
  const std::string data = RandomBytes(3u << 20, 41);
  Put(OnServer("orig.bin"), data);
  Connect();
  // The pane hands the copy job one entry with the file's size per pair.
  auto* job = new EngineJob();
  job->names = std::make_unique<std::vector<std::string>>(std::vector<std::string>{Remote("orig.bin"), Remote("copy.bin")});
  job->items = std::make_unique<std::vector<FileEntry>>(1);
  (*job->items)[0].size = static_cast<int64_t>(data.size());
  job->flags = kRenameCopies;
  Run(RenameOrCopyJob, job);
  FreeJob(job);
  EXPECT_TRUE(Slurp(OnServer("copy.bin")) == data);
  ASSERT_FALSE(gProgress.percents.empty()) << "the copy showed no percentage";
  // Both halves count against twice the size: the download ends at 50 %.
  EXPECT_EQ(*std::max_element(gProgress.percents.begin(), gProgress.percents.end()), 100);
  EXPECT_TRUE(std::any_of(gProgress.percents.begin(), gProgress.percents.end(), [](int p) { return p > 0 && p <= 50; }));
  EXPECT_TRUE(std::any_of(gProgress.percents.begin(), gProgress.percents.end(), [](int p) { return p > 50 && p < 100; }));
  ClearInternetCache();
}
