// Moving one file's bytes over an FTP connection. The cancel request is
// checked before the server file is opened and at every block; a failed
// read or write fails the file. A download is written under a temporary
// name in the target's folder and takes the target's name only when every
// byte has arrived, so a failed download never destroys the file it was
// meant to replace.
#include <memory>

#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/progressapi_win.h"
#include "engine/transferpaths.h"

namespace {
// Each library call costs a fixed overhead under some systems (about
// 190 us per socket read measured under Wine), so small blocks cap the
// speed. One 256 MiB file from vsftpd on loopback (tools/bench_transfer.sh,
// MiB/s down/up): 4 KiB 89/109, 64 KiB 135/255, 256 KiB 129/294, 1 MiB
// 227/291 (noisy); 30 workers hold under 8 MiB of 256 KiB buffers. With
// the block following the rate up to 256 KiB: 208/275 beside 230/279 fixed
// in the same run (128 MiB, medians of 3).
constexpr DWORD kDefaultBlock = 256 * 1024;
DWORD gCopyBlock = kDefaultBlock;

// A read waits until its block is full and a write until its block is
// out, so the block is also how long cancel and the progress figures wait:
// 256 KiB at 20 KB/s is 13 s. Each file starts with a small block and
// follows the measured rate, keeping one block near kBlockTargetMs: the
// block doubles while blocks take under a quarter of that, and is cut to
// what the rate moves in that time when one takes longer. A fast link
// reaches the full block within a few blocks. (An upload's cancel still
// waits for what the system's socket buffers already hold to reach the
// server, whose final reply the close reads.)
constexpr DWORD kSmallestBlock = 4096;
constexpr DWORD kBlockTargetMs = 200;
bool gAdaptiveBlocks = true;  // off only in the benchmark, to compare

struct BlockSizer {
  DWORD size = kSmallestBlock < gCopyBlock && gAdaptiveBlocks ? kSmallestBlock : gCopyBlock;
  DWORD started = 0;

  void Start() { started = GetTickCount(); }
  // After a block of `bytes`: the size of the next one.
  void Moved(DWORD bytes) {
    if (!gAdaptiveBlocks) return;
    const DWORD ms = GetTickCount() - started;
    if (ms * 4 < kBlockTargetMs) {
      size = size > gCopyBlock / 2 ? gCopyBlock : size * 2;
    } else if (ms > kBlockTargetMs) {
      const uint64_t fits = static_cast<uint64_t>(bytes) * kBlockTargetMs / ms;
      DWORD next = static_cast<DWORD>(fits / kSmallestBlock * kSmallestBlock);
      if (next < kSmallestBlock) next = kSmallestBlock;
      if (next < size) size = next;
    }
    if (size > gCopyBlock) size = gCopyBlock;
  }
};
bool gFailureBoxes = true;

// Progress is counted here: the library's status callback reports no data
// bytes on every system, and counting in both places would count twice.
void CountBytes(WorkerSlot& slot, DWORD bytes) {
  slot.bytesDone += bytes;
  const int64_t total = slot.size > 0 ? slot.size : 0;
  if (total <= 0) return;
  if (slot.bytesDone > total) slot.bytesDone = total;
  const int percent = static_cast<int>(slot.bytesDone * 100 / total);
  if (percent == slot.lastPercent) return;
  slot.lastPercent = percent;
  const DWORD elapsed = GetTickCount() - slot.startTick;
  if (elapsed > 0) ShowWorkerSpeed(slot.index, static_cast<DWORD>(slot.bytesDone * 1000 / elapsed));
  if (slot.bytesDone > 0)
    ShowWorkerProgress(slot.index, percent, static_cast<DWORD>((total - slot.bytesDone) * elapsed / slot.bytesDone));
}

// Files are never kept in the system's internet cache: a large download
// would be stored twice. (Wine's library writes the cache copy anyway.)
DWORD TransferType(bool ascii) {
  return (ascii ? FTP_TRANSFER_TYPE_ASCII : FTP_TRANSFER_TYPE_BINARY) | INTERNET_FLAG_RELOAD |
         INTERNET_FLAG_NO_CACHE_WRITE;
}

void ShowWriteFailure(DWORD code) {
  if (!gFailureBoxes) return;
  char text[256];
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr))
    ShowMessageText(nullptr, text, MB_OK | MB_ICONWARNING);
}

int Code(DWORD code) { return static_cast<int>(code ? code : ERROR_INTERNET_INTERNAL_ERROR); }

// A free temporary name in the folder of `target`; empty when none can be
// made there (the caller then decides whether writing in place is safe).
std::string TemporaryBeside(const char* target) {
  std::string folder = ParentPath(target, '\\');
  if (folder.empty()) folder = ".";
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  char temp[MAX_PATH];
  if (folder.size() + 14 >= MAX_PATH || !GetTempFileNameA(folder.c_str(), "vto", 0, temp)) return std::string();
  return temp;
}
}  // namespace

void SetCopyBlockSize(DWORD bytes) { gCopyBlock = bytes >= 512 && bytes <= (16u << 20) ? bytes : kDefaultBlock; }
DWORD CopyBlockSize() { return gCopyBlock; }
void SetAdaptiveCopyBlocks(bool adaptive) { gAdaptiveBlocks = adaptive; }
void SetCopyFailureBoxes(bool shown) { gFailureBoxes = shown; }

int FtpDownloadToFile(WorkerSlot& slot, const char* remote, const char* local, bool ascii) {
  if (IsCancelRequested()) return ERROR_CANCELLED;
  const bool targetExists = GetFileAttributesA(local) != INVALID_FILE_ATTRIBUTES;
  std::string temp = TemporaryBeside(local);
  if (temp.empty()) {
    // Without a temporary name a new file may still be written in place;
    // an existing one is never put at risk.
    if (targetExists) {
      ReportInternetError(ERROR_FILENAME_EXCED_RANGE, "GetTempFileName", slot.index);
      return ERROR_FILENAME_EXCED_RANGE;
    }
    temp = local;
  }
  HINTERNET source = FtpOpenFileA(slot.connection, remote, GENERIC_READ, TransferType(ascii),
                                  reinterpret_cast<DWORD_PTR>(&slot));
  if (!source) {
    DWORD code = GetLastError();
    if (temp != local) DeleteFileA(temp.c_str());
    ReportInternetError(code, "FtpOpenFile", slot.index);
    return Code(code);
  }
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    InternetCloseHandle(source);
    if (temp != local) DeleteFileA(temp.c_str());
    ReportInternetError(code, "FtpGetFile", slot.index);
    return Code(code);
  }
  std::unique_ptr<char[]> buffer(new char[gCopyBlock]);
  BlockSizer block;
  DWORD code = 0;
  int64_t received = 0;
  for (;;) {
    if (IsCancelRequested()) {
      code = ERROR_CANCELLED;
      break;
    }
    DWORD got = 0;
    block.Start();
    if (!InternetReadFile(source, buffer.get(), block.size, &got)) {
      code = Code(GetLastError());
      break;
    }
    if (got == 0) break;
    // A disk that fills up may first take part of a block; the rest is
    // written again so that the failure carries the system's reason.
    DWORD offset = 0;
    while (offset < got && code == 0) {
      DWORD written = 0;
      if (!WriteFile(file, buffer.get() + offset, got - offset, &written, nullptr)) code = Code(GetLastError());
      else if (written == 0) code = ERROR_DISK_FULL;
      offset += written;
    }
    if (code != 0) break;
    block.Moved(got);
    received += got;
    CountBytes(slot, got);
  }
  if (!CloseHandle(file) && code == 0) code = Code(GetLastError());
  // Closing reads the server's final reply; a server that went away during
  // the file ends the data stream as if it were complete.
  SetLastError(0);
  if (!InternetCloseHandle(source) && code == 0 && GetLastError() != 0) code = GetLastError();
  // An end of data before the listed size in binary mode is a cut file, not
  // the file (a text transfer may change the length, so it is not checked).
  // A copy on the server counts both of its halves against twice the size.
  const int64_t expected = slot.progressOperation == kProgressCopy ? slot.size / 2 : slot.size;
  if (code == 0 && !ascii && expected > 0 && received < expected) code = ERROR_HANDLE_EOF;
  if (code == 0 && temp != local && !MoveFileExA(temp.c_str(), local, MOVEFILE_REPLACE_EXISTING)) {
    code = Code(GetLastError());
    DeleteFileA(temp.c_str());
    ReportInternetError(code, "MoveFileEx", slot.index);
    return static_cast<int>(code);
  }
  if (code != 0) {
    // What arrived is not the file: it never takes the target's place.
    DeleteFileA(temp.c_str());
    ReportInternetError(code, "FtpGetFile", slot.index);
  }
  return static_cast<int>(code);
}

int FtpUploadFromFile(WorkerSlot& slot, const char* local, const char* remote, bool ascii) {
  HANDLE file = CreateFileA(local, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    ReportInternetError(code, "FtpPutFile", slot.index);
    return Code(code);
  }
  // Opening the server file already empties it: a cancelled upload must
  // not get that far.
  if (IsCancelRequested()) {
    CloseHandle(file);
    return ERROR_CANCELLED;
  }
  HINTERNET target = FtpOpenFileA(slot.connection, remote, GENERIC_WRITE, TransferType(ascii),
                                  reinterpret_cast<DWORD_PTR>(&slot));
  if (!target) {
    DWORD code = GetLastError();
    CloseHandle(file);
    ReportInternetError(code, "FtpOpenFile", slot.index);
    return Code(code);
  }
  std::unique_ptr<char[]> buffer(new char[gCopyBlock]);
  BlockSizer block;
  DWORD code = 0;
  while (code == 0) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.get(), block.size, &got, nullptr)) {
      code = Code(GetLastError());
      break;
    }
    if (got == 0) break;
    DWORD written = 0;
    block.Start();
    if (!InternetWriteFile(target, buffer.get(), got, &written)) {
      code = Code(GetLastError());
      ShowWriteFailure(code);
      break;
    }
    if (written < got) {
      code = ERROR_HANDLE_EOF;
      break;
    }
    block.Moved(got);
    CountBytes(slot, got);
    if (IsCancelRequested()) code = ERROR_CANCELLED;
  }
  CloseHandle(file);
  // Closing reads the server's final reply: a refused store fails here.
  SetLastError(0);
  if (!InternetCloseHandle(target) && code == 0 && GetLastError() != 0) code = GetLastError();
  if (code != 0) ReportInternetError(code, "FtpPutFile", slot.index);
  return static_cast<int>(code);
}
