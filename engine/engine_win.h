// The transfer engine: a pool of connection workers (one thread and one
// server connection each) and short-lived job threads that turn a user
// action into requests for idle workers. Jobs are serialised by the named
// mutex "FtpMutex"; workers and jobs reach the user interface only by
// window messages.
#ifndef VORTO_ENGINE_ENGINE_WIN_H
#define VORTO_ENGINE_ENGINE_WIN_H

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/fileentry.h"

constexpr int kMaxWorkers = 30;

enum EngineOperation {
  kOpDeleteFile = 1,
  kOpRemoveDirectory = 2,
  kOpMakeDirectory = 3,
  kOpTransfer = 4,
  kOpRenameOrCopy = 5,
  kOpList = 6,
  kOpCurrentDirectory = 7,
  kOpChangeDirectory = 8,
  kOpChmod = 9,
  kOpCreateFile = 10,
};

// Completion flags of the job-finished message.
constexpr uint32_t kDoneRefreshServer = 0x10000;
constexpr uint32_t kDoneRefreshLocal = 0x20000;
constexpr uint32_t kDoneTakeListing = 0x40000;
constexpr uint32_t kDoneWithJob = 0x100000;
constexpr uint32_t kDoneConnectFailed = 0x200000;
constexpr uint32_t kDoneDestroyWindow = 0x400000;
constexpr uint32_t kDoneRenameAfterChmod = 0x1000000;
constexpr uint32_t kDoneKeepJob = 0x8000000;
constexpr uint32_t kDoneConnected = 0x190000;

// Listing flags.
constexpr uint32_t kListToClipboard = 0x10;
constexpr uint32_t kListSaveToFile = 0x20;
// Every entry the server has, dot files too (walks and deletes).
constexpr uint32_t kListEverything = 0x40;
// Rename-or-copy flag.
constexpr uint32_t kRenameCopies = 0x1;

// Progress operations of a worker slot (string ids of the worker rows).
constexpr uint32_t kProgressDownload = 260;
constexpr uint32_t kProgressUpload = 261;
constexpr uint32_t kProgressCopy = 265;  // a copy on the server: download, then upload

struct SftpSession;  // the SSH layer's session, one per SFTP worker

struct WorkerSlot {
  HINTERNET connection;
  HANDLE idleEvent, doneEvent, requestEvent, startedEvent;
  CRITICAL_SECTION lock;
  bool lockReady;
  int index;
  int operation;
  volatile LONG quit;
  int remote;
  int quiet;
  char pathA[260];
  char pathB[260];
  int64_t size;
  uint32_t flags;
  std::vector<FileEntry>* list;
  uint32_t progressOperation;  // string id of the transfer in progress, 0 none
  int64_t bytesDone;
  DWORD startTick;
  int lastPercent;
  int* resultSlot;
  char* outputBuffer;          // 260 bytes, for the current directory
  SftpSession* session;
  uint32_t isSftp;
  FILETIME fileTime;
};

struct EngineRequest {
  int remote = 0;
  int quiet = 0;
  const char* pathA = nullptr;
  const char* pathB = nullptr;
  int64_t size = 0;
  uint32_t flags = 0;
  std::vector<FileEntry>* list = nullptr;
  char* outputBuffer = nullptr;
  FILETIME fileTime = {};
};

struct TransferItem {
  int64_t size;
  FILETIME fileTime;
  char source[260];
  char destination[260];
  int kind;  // 1 delete, 2 remove directory, 3 make directory, 4 new file, 5 replace; or attributes
};

struct EngineJob {
  HANDLE thread = nullptr;
  char directory[260] = {};
  char resultPath[260] = {};
  int direction = 0;
  int quiet = 0;
  std::unique_ptr<std::vector<FileEntry>> items;         // entries the job works on
  std::unique_ptr<std::vector<TransferItem>> transferList;
  uint32_t flags = 0;
  std::unique_ptr<std::vector<std::string>> names;       // name pairs or names for rename/mkdir/chmod jobs
  char filterMask[260] = {};  // transfer walks: the panes' file mask when the job was started
};

// Pool.
int StartWorkers();
void ResizeWorkers();
// Applies a resize that had to wait for the running jobs (main window, after
// each completion).
void ApplyPendingResize();
// Test hook: the idle time after which a worker sends the keep-alive
// command (30 s unless set; 0 restores it).
void SetKeepAliveInterval(DWORD milliseconds);
void StopWorker(int index);
void StopAllWorkers();
int WorkerCount();
// Workers running a request now (for the tests and the benchmarks).
int BusyWorkers();
int ConnectedWorkers();
bool IsConnected();
const char* SessionDirectory();
void SetSessionDirectory(const char* directory);

// Dispatch (job threads holding "FtpMutex"). Without a worker left to run
// a request it fails with ERROR_NOT_CONNECTED, reported once per job; a
// cancelled action fails with ERROR_CANCELLED.
int AcquireIdleWorker(int* error);
int Dispatch(const EngineRequest& request, int operation, bool wait);
// Dispatches without waiting; the worker stores its result in `*result`,
// which must stay valid until the worker is done (WaitForAllWorkers).
int DispatchTracked(const EngineRequest& request, int operation, int* result);
int DispatchTo(const EngineRequest& request, int operation, bool wait, int* tracked);
void WaitForWorker(int index);
void WaitForAllWorkers();
// A new job reports a missing worker again (JobMutex).
void ResetDispatchReports();

// Jobs. Each takes ownership of `job` on success; the main window frees it
// when the completion message arrives (FreeJob).
using JobFunction = unsigned(__stdcall*)(void*);
// Holds "FtpMutex" while a job dispatches.
struct JobMutex {
  HANDLE handle;
  JobMutex();
  void Release();
  ~JobMutex() { Release(); }
};
// Tells the main window the job is done (sent or posted), then releases
// the mutex.
void CompleteJob(EngineJob* job, uint32_t flags, JobMutex& mutex, bool send = false);
bool StartJob(JobFunction function, EngineJob* job);
void FreeJob(EngineJob* job);
int ActiveJobs();
unsigned __stdcall ConnectJob(void* job);
unsigned __stdcall DisconnectJob(void* job);
unsigned __stdcall ChangeDirectoryJob(void* job);
unsigned __stdcall RefreshListingJob(void* job);
unsigned __stdcall ExecuteTransferListJob(void* job);
unsigned __stdcall DeleteJob(void* job);
unsigned __stdcall MakeDirectoriesJob(void* job);
unsigned __stdcall CreateFilesJob(void* job);
unsigned __stdcall RenameOrCopyJob(void* job);
unsigned __stdcall ChmodJob(void* job);
// Called by the main window's completion handler for every job.
void JobCompleted();

// Refused logins (logingate_win.cpp): the user is asked once at a time for
// the whole pool, and every refused worker retries with the answer.
enum LoginOutcome { kLoginRetry, kLoginGaveUp, kLoginCancelledHere };
// A new connect: a Cancel given to an earlier one no longer holds.
void ResetLoginQuestion();
// The number of answers so far; read it before the credentials it goes with.
int LoginAnswerCount();
// The server refused the credentials read at `answers`: waits for (or asks)
// the user. kLoginCancelledHere goes to the one worker whose question was
// cancelled; the others get kLoginGaveUp.
LoginOutcome AwaitLoginAnswer(int answers, DWORD code);

// Worker operations (ftpops_win.cpp, listing_win.cpp).
int ConnectWorker(WorkerSlot& slot);
int ReconnectWorker(WorkerSlot& slot);
void DisconnectWorker(WorkerSlot& slot);
int SendKeepAlive(WorkerSlot& slot);
int RunOperation(WorkerSlot& slot);
// After a failed request: whether the connection is gone though the
// failure did not say so (a transfer the server cut off can leave the
// connection unusable). Checked with NOOP unless the server refused.
bool ConnectionBrokenAfter(WorkerSlot& slot, int result);
int ListDirectory(WorkerSlot& slot);
// A Windows file time as the portable count of 100 ns since 1601.
uint64_t FileTimeValue(const FILETIME& ft);
FILETIME WindowsFileTime(uint64_t value);
// The letters of a local file's attributes as the panes show them ("RSHAC").
void WriteAttributeLetters(DWORD attributes, char (&out)[12]);
// Changes the worker back into the session directory.
int ReturnToSessionDirectory(WorkerSlot& slot);
// Moves one file in either direction (operation 4, transferfile_win.cpp).
int TransferFileOp(WorkerSlot& slot);
// Sends "SITE CHMOD mode path"; reports a failure as "FtpCommand".
int SiteChmod(WorkerSlot& slot, const char* mode, const char* serverPath);
// Copy loops over one FTP connection (copyloops_win.cpp).
int FtpDownloadToFile(WorkerSlot& slot, const char* remote, const char* local, bool ascii);
int FtpUploadFromFile(WorkerSlot& slot, const char* local, const char* remote, bool ascii);
// Block size of the copy loops (256 KiB unless set; benchmarks vary it) and
// whether a failed write shows the system's text in a message box.
void SetCopyBlockSize(DWORD bytes);
DWORD CopyBlockSize();
// Whether each file's block follows the link's rate (on unless the
// benchmark compares with fixed blocks).
void SetAdaptiveCopyBlocks(bool adaptive);
void SetCopyFailureBoxes(bool shown);

// Counts changed by workers, reported to the main window.
void ConnectedCountChanged(int delta);

// Server name conversion between the ANSI code page and the profile's.
bool ToServerName(const char* in, char (&out)[260]);
bool FromServerName(const char* in, char (&out)[260]);

// The WinINet status callback that counts transfer progress.
void CALLBACK EngineStatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length);

#endif
