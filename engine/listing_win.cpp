// Listing a directory for a worker: the server's LIST text parsed by the
// portable parser, with the library's own enumeration as the fallback, and
// the same enumeration for local folders.
#include <shlwapi.h>

#include <cctype>
#include <cstring>
#include <ctime>
#include <string>

#include "base/msgbox_win.h"
#include "base/program_win.h"
#include "base/useroptions.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/ineterror_win.h"
#include "engine/listdate.h"
#include "engine/listparse.h"
#include "engine/progressapi_win.h"
#include "profiles/current_win.h"
#include "res/resource.h"

namespace {
constexpr UINT kStatusListing = 278;
constexpr DWORD kReadRound = 64000;

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

// The raw text goes where the user asked; a failure there is a line of
// its own, never a silent loss.
void CopyToClipboard(const std::string& text, int worker) {
  if (!OpenClipboard(MainWindow())) {
    ReportInternetError(GetLastError(), "CopyListing", worker);
    return;
  }
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  DWORD code = mem ? 0 : GetLastError();
  if (mem) {
    std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_TEXT, mem)) {
      code = GetLastError();
      GlobalFree(mem);
    }
  }
  CloseClipboard();
  if (code != 0 || !mem) ReportInternetError(code ? code : ERROR_NOT_ENOUGH_MEMORY, "CopyListing", worker);
}

void SaveToFile(const char* path, const std::string& text, int worker) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ReportInternetError(GetLastError(), "SaveListing", worker);
    return;
  }
  DWORD written = 0;
  DWORD code = 0;
  if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) code = GetLastError();
  else if (written < text.size()) code = ERROR_HANDLE_EOF;
  if (!CloseHandle(file) && code == 0) code = GetLastError();
  if (code != 0) ReportInternetError(code, "SaveListing", worker);
}

// Asked to keep the raw text of a listing that had none (the server's
// reply could only be read entry by entry): says so instead of nothing.
void ReportNoListingText(const WorkerSlot& slot) {
  const bool save = (slot.flags & kListSaveToFile) && slot.pathA[0];
  const bool copy = (slot.flags & kListToClipboard) != 0;
  if (!save && !copy) return;
  std::string text = LoadResString(IDS_LISTING_NO_TEXT);
  char line[400];
  if (save) {
    snprintf(line, sizeof line, "Thread #%d: [SaveListing] %s : %s", slot.index + 1, text.c_str(), slot.pathA);
    ReportText(line);
  }
  if (copy) {
    snprintf(line, sizeof line, "Thread #%d: [CopyListing] %s", slot.index + 1, text.c_str());
    ReportText(line);
  }
}

// Whether the server's last reply on this thread completed a command
// (2xx). Some libraries answer an empty folder and a listing the server
// broke off ("426") alike, with "no more files" or with no code at all;
// only the server's own reply tells them apart.
bool LastReplyCompleted() {
  DWORD error = 0, length = 0;
  InternetGetLastResponseInfoA(&error, nullptr, &length);
  if (length == 0) return false;
  std::string reply(length + 1, '\0');
  DWORD got = length + 1;
  if (!InternetGetLastResponseInfoA(&error, reply.data(), &got)) return false;
  reply.resize(strnlen(reply.data(), length));
  // The code of the last line that carries one decides.
  char code = 0;
  size_t start = 0;
  while (start < reply.size()) {
    size_t end = reply.find_first_of("\r\n", start);
    if (end == std::string::npos) end = reply.size();
    auto digit = [&](size_t i) { return std::isdigit(static_cast<unsigned char>(reply[i])) != 0; };
    if (end - start >= 3 && reply[start] >= '1' && reply[start] <= '5' && digit(start + 1) && digit(start + 2))
      code = reply[start];
    start = end + 1;
  }
  return code == '2';
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
  // A walk must see everything the server has, whatever the pane hides.
  const bool hideDots = Options().hideHiddenServer && !(slot.flags & kListEverything);
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
      ReportNoListingText(slot);
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
    if (result == ERROR_INTERNET_EXTENDED_ERROR || result == 0) {
      ReportNoListingText(slot);
      return 0;
    }
    ReportInternetError(static_cast<DWORD>(result), "T_SubDirServer TEST 2a", slot.index);
    return result;
  }
  if (!data) {
    fallback = true;
    LeaveCriticalSection(&slot.lock);
    ReportNoListingText(slot);
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
  if (slot.flags & kListToClipboard) CopyToClipboard(text, slot.index);
  if ((slot.flags & kListSaveToFile) && slot.pathA[0]) SaveToFile(slot.pathA, text, slot.index);
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
  const DWORD findFlags = (slot.flags & ~kListEverything) | INTERNET_FLAG_RELOAD;
  HANDLE find = remote ? static_cast<HANDLE>(FtpFindFirstFileA(slot.connection, pattern, &data, findFlags, 0))
                       : FindFirstFileA(pattern, &data);
  if (!find || find == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    // Nothing found is an empty directory only when the listing itself
    // completed: a broken-off listing must not pass for an empty folder
    // (a walk would then delete or overwrite what it did not see).
    if (!remote && code == ERROR_NO_MORE_FILES) return 0;
    if (remote && (code == ERROR_NO_MORE_FILES || code == 0)) {
      if (LastReplyCompleted()) return 0;
      code = ERROR_INTERNET_EXTENDED_ERROR;
    }
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
      // Only "no more files" ends a listing; anything else cut it short.
      DWORD code = GetLastError();
      if (code != ERROR_NO_MORE_FILES) {
        if (code == 0) code = ERROR_INTERNET_INTERNAL_ERROR;
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
