// Moving one file's bytes over an FTP connection, with the cancel request
// checked at every block.
#include "app/appstate_win.h"
#include "app/msgbox_win.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/progressapi_win.h"

namespace {
constexpr DWORD kBlock = 4096;

void CountBytes(WorkerSlot& slot, DWORD bytes) {
  slot.bytesDone += bytes;
  // A copy on the server moves every byte twice.
  int64_t total = slot.size > 0 ? slot.size : 0;
  if (total <= 0) return;
  if (slot.bytesDone > total) slot.bytesDone = total;
  int percent = static_cast<int>(slot.bytesDone * 100 / total);
  if (percent == slot.lastPercent) return;
  slot.lastPercent = percent;
  DWORD elapsed = GetTickCount() - slot.startTick;
  DWORD remaining = slot.bytesDone > 0 ? static_cast<DWORD>((total - slot.bytesDone) * elapsed / slot.bytesDone) : 0;
  ShowWorkerProgress(slot.index, percent, remaining);
  if (elapsed > 0) ShowWorkerSpeed(slot.index, static_cast<DWORD>(slot.bytesDone * 1000 / elapsed));
}

DWORD TransferType(bool ascii) { return (ascii ? FTP_TRANSFER_TYPE_ASCII : FTP_TRANSFER_TYPE_BINARY) | INTERNET_FLAG_RELOAD; }

void ShowWriteFailure(DWORD code) {
  char text[256];
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr))
    ShowMessageText(nullptr, text, MB_OK | MB_ICONWARNING);
}
}  // namespace

int FtpDownloadToFile(WorkerSlot& slot, const char* remote, const char* local, bool ascii) {
  HINTERNET source = FtpOpenFileA(slot.connection, remote, GENERIC_READ, TransferType(ascii),
                                  reinterpret_cast<DWORD_PTR>(&slot));
  if (!source) {
    DWORD code = GetLastError();
    ReportInternetError(code, "FtpOpenFile", slot.index);
    return static_cast<int>(code ? code : ERROR_INTERNET_INTERNAL_ERROR);
  }
  HANDLE file = CreateFileA(local, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    InternetCloseHandle(source);
    ReportInternetError(code, "FtpGetFile", slot.index);
    return static_cast<int>(code);
  }
  static thread_local char buffer[kBlock];
  DWORD code = 0;
  for (;;) {
    if (IsCancelRequested()) {
      code = ERROR_CANCELLED;
      break;
    }
    DWORD got = 0;
    if (!InternetReadFile(source, buffer, kBlock, &got)) {
      code = GetLastError();
      break;
    }
    if (got == 0) break;
    DWORD written = 0;
    if (!WriteFile(file, buffer, got, &written, nullptr) || written != got) {
      code = GetLastError() ? GetLastError() : ERROR_HANDLE_EOF;
      break;
    }
    CountBytes(slot, got);
  }
  CloseHandle(file);
  InternetCloseHandle(source);
  if (code != 0) {
    ReportInternetError(code, "FtpGetFile", slot.index);
    // A partial download must not pass for the file.
    DeleteFileA(local);
  }
  return static_cast<int>(code);
}

int FtpUploadFromFile(WorkerSlot& slot, const char* local, const char* remote, bool ascii) {
  HANDLE file = CreateFileA(local, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    ReportInternetError(code, "FtpPutFile", slot.index);
    return static_cast<int>(code);
  }
  HINTERNET target = FtpOpenFileA(slot.connection, remote, GENERIC_WRITE, TransferType(ascii),
                                  reinterpret_cast<DWORD_PTR>(&slot));
  if (!target) {
    DWORD code = GetLastError();
    CloseHandle(file);
    ReportInternetError(code, "FtpOpenFile", slot.index);
    return static_cast<int>(code ? code : ERROR_INTERNET_INTERNAL_ERROR);
  }
  static thread_local char buffer[kBlock];
  DWORD code = IsCancelRequested() ? ERROR_CANCELLED : 0;
  while (code == 0) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, kBlock, &got, nullptr)) {
      code = GetLastError();
      break;
    }
    if (got == 0) break;
    DWORD written = 0;
    if (!InternetWriteFile(target, buffer, got, &written)) {
      code = GetLastError();
      ShowWriteFailure(code);
      break;
    }
    if (written < got) {
      code = ERROR_HANDLE_EOF;
      break;
    }
    CountBytes(slot, got);
    if (IsCancelRequested()) code = ERROR_CANCELLED;
  }
  CloseHandle(file);
  InternetCloseHandle(target);
  if (code != 0) ReportInternetError(code, "FtpPutFile", slot.index);
  return static_cast<int>(code);
}
