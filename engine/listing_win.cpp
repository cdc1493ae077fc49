// Listing a directory for a worker: the server's LIST text parsed by the
// portable parser, with the library's own enumeration as the fallback, and
// the same enumeration for local folders.
#include <shlwapi.h>

#include <cstring>
#include <ctime>
#include <string>

#include "app/appstate_win.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/listdate.h"
#include "engine/listparse.h"
#include "engine/progressapi_win.h"
#include "profiles/current_win.h"

namespace {
constexpr UINT kStatusListing = 278;
constexpr DWORD kReadRound = 64000;

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

void CopyToClipboard(const std::string& text) {
  if (!OpenClipboard(MainWindow())) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void SaveToFile(const char* path, const std::string& text) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// Converts a whole listing from the server's code page; false leaves it.
bool ConvertListing(std::string& text) {
  DWORD cp = static_cast<DWORD>(gCurrent.record.serverCodePage);
  if (cp == 0 || cp == GetACP() || text.empty()) return false;
  int wide = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide <= 0) return false;
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), w.data(), wide);
  int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return false;
  std::string out(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), wide, out.data(), narrow, nullptr, nullptr);
  text.swap(out);
  return true;
}

int ListByCommand(WorkerSlot& slot, bool& fallback) {
  fallback = false;
  const bool changeDirMode = !gCurrent.record.fullPathCommands;
  const bool hideDots = Options().hideHiddenServer;
  char directory[260];
  ToServerName(slot.pathB, directory);
  EnterCriticalSection(&slot.lock);
  char command[280];
  if (changeDirMode) {
    if (directory[0] && !FtpSetCurrentDirectoryA(slot.connection, directory)) {
      DWORD code = GetLastError();
      if (!slot.quiet) ReportInternetError(code, "T_SubDirServer 1", slot.index);
      fallback = true;
      LeaveCriticalSection(&slot.lock);
      return 0;
    }
    snprintf(command, sizeof command, "%s", hideDots ? "LIST -lL" : "LIST -alL");
  } else {
    snprintf(command, sizeof command, "%s %s", hideDots ? "LIST -lL" : "LIST -alL", directory);
  }
  HINTERNET data = nullptr;
  // Some systems' library cannot run a command with a data connection: it
  // fails without an error code, and the enumeration takes over.
  SetLastError(0);
  if (!FtpCommandA(slot.connection, TRUE, FTP_TRANSFER_TYPE_ASCII, command, 0, &data)) {
    DWORD code = GetLastError();
    if (data) InternetCloseHandle(data);
    fallback = true;
    int result = static_cast<int>(code);
    if (changeDirMode) {
      int back = ReturnToSessionDirectory(slot);
      if (back != 0) result = back;
    }
    LeaveCriticalSection(&slot.lock);
    // A server that refuses the command (some take "-alL" for a path and
    // answer 550) is listed by enumeration instead of not at all.
    if (result == ERROR_INTERNET_EXTENDED_ERROR) return 0;
    if (result != 0) ReportInternetError(static_cast<DWORD>(result), "T_SubDirServer TEST 2a", slot.index);
    return result;
  }
  if (!data) {
    fallback = true;
    LeaveCriticalSection(&slot.lock);
    return 0;
  }
  std::string text;
  for (;;) {
    size_t used = text.size();
    text.resize(used + kReadRound);
    DWORD got = 0;
    if (!InternetReadFile(data, text.data() + used, kReadRound, &got)) {
      ReportInternetError(GetLastError(), "T_SubDirServer 3", slot.index);
      text.resize(used);
      break;
    }
    text.resize(used + got);
    if (got == 0) break;
  }
  InternetCloseHandle(data);
  if (slot.flags & kListToClipboard) CopyToClipboard(text);
  if ((slot.flags & kListSaveToFile) && slot.pathA[0]) SaveToFile(slot.pathA, text);
  if (!(slot.flags & kListSaveToFile)) ConvertListing(text);

  ListParseOptions options;
  options.now = ListClockAt(static_cast<int64_t>(time(nullptr)));
  options.hideDotFiles = hideDots;
  options.timeZone = gCurrent.record.timeZone;
  options.toUtc = ServerTimeToUtc;
  options.isLeadByte = IsLeadByte;
  fallback = ParseListing(text, options, *slot.list).fallback;
  LeaveCriticalSection(&slot.lock);
  return 0;
}

int ListByEnumeration(WorkerSlot& slot) {
  std::vector<FileEntry>& list = *slot.list;
  list.clear();
  const bool remote = slot.remote != 0;
  char pattern[265];
  char directory[260];
  if (remote) ToServerName(slot.pathB, directory);
  else CopyText(directory, slot.pathB);
  int n = directory[0] ? snprintf(pattern, sizeof pattern, "%s%s*.*", directory, remote ? "/" : "\\")
                       : snprintf(pattern, sizeof pattern, "*.*");
  if (n < 0 || n >= static_cast<int>(sizeof pattern)) {
    ReportInternetError(ERROR_FILENAME_EXCED_RANGE, remote ? "FtpFindFirstFile" : "FindFirstFile", slot.index);
    return ERROR_FILENAME_EXCED_RANGE;
  }
  WIN32_FIND_DATAA data;
  SetLastError(0);
  HANDLE find = remote ? static_cast<HANDLE>(FtpFindFirstFileA(slot.connection, pattern, &data,
                                                                slot.flags | INTERNET_FLAG_RELOAD, 0))
                       : FindFirstFileA(pattern, &data);
  if (!find || find == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    // Nothing found is an empty directory; some systems say so without a code.
    if (code == ERROR_NO_MORE_FILES || (remote && code == 0)) return 0;
    if (!remote && code == ERROR_PATH_NOT_FOUND) return static_cast<int>(code);
    ReportInternetError(code, remote ? "FtpFindFirstFile" : "FindFirstFile", slot.index);
    return static_cast<int>(code);
  }
  int result = 0;
  for (;;) {
    const DWORD a = data.dwFileAttributes;
    bool skip = (Options().hideHiddenLocal && (a & FILE_ATTRIBUTE_HIDDEN)) ||
                (Options().hideSystemLocal && (a & FILE_ATTRIBUTE_HIDDEN) && (a & FILE_ATTRIBUTE_SYSTEM)) ||
                std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0;
    if (!skip) {
      FileEntry e;
      e.attributes = a;
      if (remote) FromServerName(data.cFileName, e.name);
      else CopyText(e.name, data.cFileName);
      e.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
      e.modified = FileTimeValue(data.ftLastWriteTime);
      if (remote) {
        e.modified = ServerTimeToUtc(e.modified, gCurrent.record.timeZone);
      } else {
        WriteAttributeLetters(a, e.permissions);
      }
      if (IsSafeEntryName(e.name)) list.push_back(e);
    }
    BOOL more = remote ? InternetFindNextFileA(find, &data) : FindNextFileA(find, &data);
    if (!more) {
      DWORD code = GetLastError();
      if (code != ERROR_NO_MORE_FILES && code != 0) {
        ReportInternetError(code, remote ? "InternetFindNextFile" : "FindNextFile", slot.index);
        result = static_cast<int>(code);
      }
      break;
    }
  }
  if (remote) InternetCloseHandle(static_cast<HINTERNET>(find));
  else FindClose(find);
  return result;
}
}  // namespace

int ListDirectory(WorkerSlot& slot) {
  ShowWorkerStatus(slot.index, kStatusListing, slot.pathB);
  if (!slot.list) return 0;
  if (slot.remote) {
    if (slot.isSftp) {
      ReportSftpError("SftpList");
      return -1;
    }
    bool fallback = false;
    int result = ListByCommand(slot, fallback);
    if (result != 0) return result;
    if (!fallback) return 0;
  }
  return ListByEnumeration(slot);
}

uint64_t FileTimeValue(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

FILETIME WindowsFileTime(uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(value);
  ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return ft;
}

void WriteAttributeLetters(DWORD attributes, char (&out)[12]) {
  char* p = out;
  if (attributes & FILE_ATTRIBUTE_READONLY) *p++ = 'R';
  if (attributes & FILE_ATTRIBUTE_SYSTEM) *p++ = 'S';
  if (attributes & FILE_ATTRIBUTE_HIDDEN) *p++ = 'H';
  if (attributes & FILE_ATTRIBUTE_ARCHIVE) *p++ = 'A';
  if (attributes & FILE_ATTRIBUTE_COMPRESSED) *p++ = 'C';
  *p = '\0';
}
