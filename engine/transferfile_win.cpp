// Operation 4: one file moved by a worker, with the text or binary choice,
// the permission after an upload and the time stamp after a download.
#include <cstdio>

#include "base/useroptions.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/progressapi_win.h"
#include "engine/transferrules.h"
#include "profiles/current_win.h"

namespace {
constexpr UINT kStatusTransfer = 276;

void SetDownloadTime(WorkerSlot& slot) {
  if (!gCurrent.record.keepDownloadTimes) return;
  if (slot.fileTime.dwLowDateTime == 0 && slot.fileTime.dwHighDateTime == 0) return;  // time unknown
  HANDLE file = CreateFileA(slot.pathB, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  BOOL ok = file != INVALID_HANDLE_VALUE && SetFileTime(file, &slot.fileTime, &slot.fileTime, &slot.fileTime);
  DWORD code = ok ? 0 : GetLastError();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  // The file itself arrived; only its time is reported.
  if (!ok) ReportInternetError(code, "SetFileTime", slot.index);
}

void SetUploadPermission(WorkerSlot& slot, const char* serverName) {
  const ServerProfile& p = gCurrent.record;
  if (!SetsPermissionAfterUpload(p.setFilePermission, slot.pathA, gCurrent.lists.permissionTypes)) return;
  char mode[16];
  snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(p.filePermission));
  SiteChmod(slot, mode, serverName);  // reports itself; the file counts as transferred
}
}  // namespace

int TransferFileOp(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusTransfer, slot.pathB);
  const bool upload = slot.remote != 0;
  const bool text = IsTextTransfer(slot.pathA, Options().transferMode, gCurrent.lists.asciiTypes);
  slot.bytesDone = 0;
  slot.lastPercent = -1;
  slot.startTick = GetTickCount();
  slot.progressOperation = upload ? kProgressUpload : kProgressDownload;
  if (slot.isSftp) {
    slot.progressOperation = 0;
    ReportSftpError(upload ? "SftpPut" : "SftpGet");
    return -1;
  }
  char serverName[260];
  ToServerName(upload ? slot.pathB : slot.pathA, serverName);
  int result = upload ? FtpUploadFromFile(slot, slot.pathA, serverName, text)
                      : FtpDownloadToFile(slot, serverName, slot.pathB, text);
  slot.progressOperation = 0;
  if (result != 0) return result;
  if (upload) SetUploadPermission(slot, serverName);
  else SetDownloadTime(slot);
  return 0;
}
