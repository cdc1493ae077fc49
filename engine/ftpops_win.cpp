// What a worker does on its connection: connect, reconnect, keep alive,
// and the remote operations other than listing and file transfer.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/program_win.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/progressapi_win.h"
#include "profiles/current_win.h"
#include "profiles/login_win.h"
#include "res/resource.h"

namespace {
constexpr UINT kStatusDelete = 261, kStatusRemoveDir = 274, kStatusMakeDir = 275, kStatusCopy = 276,
               kStatusReconnect = 287, kStatusChangeDir = 288, kStatusCurrentDir = 289, kStatusRename = 290,
               kStatusKeepAlive = 292, kStatusChmod = 118;

char gSessionDirectory[260];
CRITICAL_SECTION* SessionLock() {
  static CRITICAL_SECTION lock;
  static bool ready = [] {
    InitializeCriticalSection(&lock);
    return true;
  }();
  (void)ready;
  return &lock;
}

int Fail(WorkerSlot& slot, const char* operation) {
  DWORD code = GetLastError();
  if (code == 0) code = ERROR_INTERNET_INTERNAL_ERROR;
  ReportInternetError(code, operation, slot.index);
  return static_cast<int>(code);
}

// Operations over SFTP arrive with the SSH layer; until then an SFTP
// worker cannot connect and never runs one.
int SftpUnavailable(WorkerSlot&, const char* operation) {
  ReportSftpError(operation);
  return -1;
}

}  // namespace

int SiteChmod(WorkerSlot& slot, const char* mode, const char* serverPath) {
  char command[300];
  int n = snprintf(command, sizeof command, "SITE CHMOD %s %s", mode, serverPath);
  if (n < 0 || n >= static_cast<int>(sizeof command)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return Fail(slot, "FtpCommand");
  }
  if (!FtpCommandA(slot.connection, FALSE, FTP_TRANSFER_TYPE_ASCII, command, 0, nullptr))
    return Fail(slot, "FtpCommand");
  return 0;
}

namespace {
int ChmodAfterCreate(WorkerSlot& slot, const char* serverPath, bool directory) {
  const ServerProfile& p = gCurrent.record;
  char mode[16];
  if (directory) {
    if (!p.setFolderPermission) return 0;
    snprintf(mode, sizeof mode, "%o", p.folderPermission);
  } else {
    bool byList = p.setFilePermission == 2 && ExtensionInList(slot.pathB, gCurrent.lists.permissionTypes);
    if (p.setFilePermission != 1 && !byList) return 0;
    snprintf(mode, sizeof mode, "%o", p.filePermission);
  }
  if (slot.isSftp) return SftpUnavailable(slot, "SftpChmod");
  return SiteChmod(slot, mode, serverPath);
}

int DeleteFileOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusDelete, slot.pathB);
  if (!slot.remote) return DeleteFileA(slot.pathB) ? 0 : Fail(slot, "DeleteFile");
  if (slot.isSftp) return SftpUnavailable(slot, "SftpDelete");
  char name[260];
  ToServerName(slot.pathB, name);
  return FtpDeleteFileA(slot.connection, name) ? 0 : Fail(slot, "FtpDeleteFile");
}

int RemoveDirectoryOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusRemoveDir, slot.pathB);
  if (!slot.remote) return RemoveDirectoryA(slot.pathB) ? 0 : Fail(slot, "RemoveDirectory");
  if (slot.isSftp) return SftpUnavailable(slot, "SftpRmdir");
  const bool changeToParent = !gCurrent.record.fullPathCommands;
  std::string name = slot.pathB;
  if (changeToParent) {
    size_t cut = name.find_last_of("/\\");
    if (cut != std::string::npos) {
      std::string parent = name.substr(0, cut);
      if (parent.empty()) parent = "/";
      if (!FtpSetCurrentDirectoryA(slot.connection, parent.c_str())) return Fail(slot, "RemoveDirectory 1");
      name = name.substr(cut + 1);
    }
  }
  char serverName[260];
  ToServerName(name.c_str(), serverName);
  int result = FtpRemoveDirectoryA(slot.connection, serverName) ? 0 : Fail(slot, "FtpRemoveDirectory");
  if (changeToParent) {
    int back = ReturnToSessionDirectory(slot);
    if (back != 0) result = back;
  }
  return result;
}

int MakeDirectoryOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusMakeDir, slot.pathB);
  if (!slot.remote) return CreateDirectoryA(slot.pathB, nullptr) ? 0 : Fail(slot, "CreateDirectory");
  if (slot.isSftp) return SftpUnavailable(slot, "SftpMkdir");
  char name[260];
  ToServerName(slot.pathB, name);
  if (!FtpCreateDirectoryA(slot.connection, name)) return Fail(slot, "FtpCreateDirectory");
  return ChmodAfterCreate(slot, name, true);
}

int CreateFileOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusMakeDir, slot.pathB);
  if (!slot.remote) return 0;
  if (slot.isSftp) return SftpUnavailable(slot, "SftpPut");
  char name[260];
  ToServerName(slot.pathB, name);
  HINTERNET file = FtpOpenFileA(slot.connection, name, GENERIC_WRITE, 0x10, 0);
  if (!file) return Fail(slot, "FtpOpenFile");
  InternetCloseHandle(file);
  return ChmodAfterCreate(slot, name, false);
}

// Copy on the server over one connection: down into a temporary file and
// up again under the new name. The temporary file never stays behind.
int CopyOnServer(WorkerSlot& slot, const char* from, const char* to) {
  char temp[MAX_PATH];
  if (!GetTempFileNameA(TempFolder()[0] ? TempFolder() : ".", "tmp", 0, temp)) return Fail(slot, "MyFtpCopyFile");
  slot.progressOperation = kProgressCopy;
  slot.bytesDone = 0;
  slot.lastPercent = -1;
  slot.startTick = GetTickCount();
  int result = FtpDownloadToFile(slot, from, temp, false);
  if (result == 0) result = FtpUploadFromFile(slot, temp, to, false);
  DeleteFileA(temp);
  slot.progressOperation = 0;
  return result;
}

int RenameOrCopyOp(WorkerSlot& slot) {
  const bool copy = (slot.flags & kRenameCopies) != 0;
  ShowWorkerStatus(slot.index, copy ? kStatusCopy : kStatusRename, slot.pathA);
  if (slot.isSftp) return SftpUnavailable(slot, copy ? "SftpGet" : "SftpRename");
  char from[260], to[260];
  ToServerName(slot.pathA, from);
  ToServerName(slot.pathB, to);
  if (copy) return CopyOnServer(slot, from, to);
  return FtpRenameFileA(slot.connection, from, to) ? 0 : Fail(slot, "FtpRenameFile");
}

int CurrentDirectoryOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusCurrentDir, nullptr);
  if (slot.isSftp) return SftpUnavailable(slot, "SftGetdir");
  char answer[260] = {};
  DWORD length = sizeof answer;
  if (!FtpGetCurrentDirectoryA(slot.connection, answer, &length)) return Fail(slot, "FtpGetCurrentDirectory");
  answer[sizeof answer - 1] = '\0';
  if (!answer[0]) CopyText(answer, slot.pathB);
  if (slot.outputBuffer) {
    char local[260];
    FromServerName(answer, local);
    CopyText(slot.outputBuffer, 260, local);
  }
  return 0;
}

int ChangeDirectoryOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusChangeDir, slot.pathB);
  if (slot.isSftp) return SftpUnavailable(slot, "SftpChdir");
  char name[260];
  ToServerName(slot.pathB, name);
  if (!FtpSetCurrentDirectoryA(slot.connection, name)) {
    DWORD code = GetLastError();
    if (!slot.quiet) ReportInternetError(code, "T_ThreadChDir 1", slot.index);
    return static_cast<int>(code ? code : ERROR_INTERNET_INTERNAL_ERROR);
  }
  int result = CurrentDirectoryOp(slot);
  // The worker goes back where the session started, so every worker
  // answers relative paths the same way.
  if (result == 0 && SessionDirectory()[0]) {
    CopyText(slot.pathB, SessionDirectory());
    slot.quiet = 1;
    result = ReturnToSessionDirectory(slot);
  }
  return result;
}

int ChmodOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusChmod, slot.pathA);
  if (slot.isSftp) return SftpUnavailable(slot, "SftpChmod");
  char name[260];
  ToServerName(slot.pathA, name);
  return SiteChmod(slot, slot.pathB, name);
}
}  // namespace

const char* SessionDirectory() { return gSessionDirectory; }

void SetSessionDirectory(const char* directory) {
  EnterCriticalSection(SessionLock());
  CopyText(gSessionDirectory, directory ? directory : "");
  LeaveCriticalSection(SessionLock());
}

int ReturnToSessionDirectory(WorkerSlot& slot) {
  if (!gSessionDirectory[0] || slot.isSftp) return 0;
  char name[260];
  ToServerName(gSessionDirectory, name);
  if (FtpSetCurrentDirectoryA(slot.connection, name)) return 0;
  DWORD code = GetLastError();
  return static_cast<int>(code ? code : ERROR_INTERNET_INTERNAL_ERROR);
}

int ConnectWorker(WorkerSlot& slot) {
  const ServerProfile& p = gCurrent.record;
  if (slot.isSftp) {
    // The SSH client is its own subsystem; until it is in, connecting to an
    // SFTP profile fails with a clear report instead of pretending.
    return SftpUnavailable(slot, "SftpConnect");
  }
  DWORD state = 0;
  if (InternetGetConnectedState(&state, 0) == FALSE && (state & INTERNET_CONNECTION_OFFLINE)) {
    if (!InternetGoOnlineA(const_cast<char*>(p.host), MainWindow(), 0)) return -1;
  }
  InternetAttemptConnect(0);
  char user[80], password[80];
  DWORD firstRefusal = 0;
  for (;;) {
    const int answers = LoginAnswerCount();
    ReadLoginCredentials(user, password);
    const bool anonymous = p.anonymous != 0;
    slot.connection = InternetConnectA(InternetSession(), p.host, static_cast<INTERNET_PORT>(p.ftpPort),
                                       anonymous ? nullptr : user, anonymous ? nullptr : password,
                                       INTERNET_SERVICE_FTP, p.passive ? INTERNET_FLAG_PASSIVE : 0,
                                       reinterpret_cast<DWORD_PTR>(&slot));
    SecureZeroMemory(password, sizeof password);
    if (slot.connection) break;
    DWORD code = GetLastError();
    // A refused login: the user may try other credentials. Systems differ
    // in which code they give for it.
    if (code == 12013 || code == 12014 || code == 12015) {
      if (!firstRefusal) firstRefusal = code;
      LoginOutcome outcome = AwaitLoginAnswer(answers, code);
      if (outcome == kLoginRetry) continue;
      if (outcome == kLoginCancelledHere) ReportInternetError(ERROR_CANCELLED, "InternetConnect", slot.index);
      return static_cast<int>(firstRefusal);
    }
    ReportInternetError(code, "InternetConnect", slot.index);
    return static_cast<int>(code ? code : ERROR_INTERNET_INTERNAL_ERROR);
  }
  ShowWorkerStatus(slot.index, IDS_WORKER_CONNECTING, nullptr);
  return 0;
}

int ReconnectWorker(WorkerSlot& slot) {
  EnterCriticalSection(&slot.lock);
  if (slot.connection) InternetCloseHandle(slot.connection);
  slot.connection = nullptr;
  ShowWorkerStatus(slot.index, kStatusReconnect, nullptr);
  ConnectedCountChanged(-1);
  int result = ConnectWorker(slot);
  LeaveCriticalSection(&slot.lock);
  if (result == 0) ConnectedCountChanged(+1);
  return result;
}

void DisconnectWorker(WorkerSlot& slot) {
  EnterCriticalSection(&slot.lock);
  if (slot.connection) InternetCloseHandle(slot.connection);
  slot.connection = nullptr;
  slot.session = nullptr;
  LeaveCriticalSection(&slot.lock);
}

int SendKeepAlive(WorkerSlot& slot) {
  EnterCriticalSection(&slot.lock);
  ShowWorkerStatus(slot.index, kStatusKeepAlive, nullptr);
  int result = 0;
  if (!FtpCommandA(slot.connection, FALSE, FTP_TRANSFER_TYPE_ASCII, gCurrent.record.keepAliveCommand, 0, nullptr))
    result = Fail(slot, "FtpCommand");
  LeaveCriticalSection(&slot.lock);
  if (result == 0) ShowWorkerIdle(slot.index);
  return result;
}

bool ConnectionBrokenAfter(WorkerSlot& slot, int result) {
  if (result == 0 || slot.isSftp || !slot.connection) return false;
  const bool network = (result >= 12000 && result <= 12999) || (result >= 10000 && result <= 11999);
  if (!network && result != ERROR_CANCELLED) return false;
  if (result == ERROR_INTERNET_EXTENDED_ERROR) {
    // The server's own refusal (4xx or 5xx) leaves the connection as it was.
    DWORD error = 0;
    char response[8] = {};
    DWORD length = sizeof response;
    InternetGetLastResponseInfoA(&error, response, &length);
    if (response[0] == '4' || response[0] == '5') return false;
  }
  EnterCriticalSection(&slot.lock);
  const bool alive = FtpCommandA(slot.connection, FALSE, FTP_TRANSFER_TYPE_ASCII, "NOOP", 0, nullptr) != FALSE;
  LeaveCriticalSection(&slot.lock);
  return !alive;
}

int RunOperation(WorkerSlot& slot) {
  switch (slot.operation) {
    case kOpDeleteFile: return DeleteFileOp(slot);
    case kOpRemoveDirectory: return RemoveDirectoryOp(slot);
    case kOpMakeDirectory: return MakeDirectoryOp(slot);
    case kOpRenameOrCopy: return RenameOrCopyOp(slot);
    case kOpList: return ListDirectory(slot);
    case kOpCurrentDirectory: return CurrentDirectoryOp(slot);
    case kOpChangeDirectory: return ChangeDirectoryOp(slot);
    case kOpChmod: return ChmodOp(slot);
    case kOpCreateFile: return CreateFileOp(slot);
    case kOpTransfer: return TransferFileOp(slot);
  }
  return 0;
}
