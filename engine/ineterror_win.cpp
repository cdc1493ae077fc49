#include "engine/ineterror_win.h"

#include <wininet.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/msgbox_win.h"
#include "engine/progress_win.h"
#include "engine/progressapi_win.h"
#include "engine/progresstext.h"
#include "res/resource.h"
#include "ssh/sftperror.h"

bool ErrorCodeText(DWORD code, char* buffer, DWORD capacity) {
  buffer[0] = '\0';
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                           GetModuleHandleA("wininet.dll"), code, 0, buffer, capacity, nullptr);
  if (n > 0) {
    buffer[capacity - 1] = '\0';
    return true;
  }
  // Not every internet library describes its own codes; ours are in the
  // resource library so no failure goes unreported.
  if (code >= IDS_WININET_FIRST && code <= IDS_WININET_FIRST + 199 && ResourceLibrary() &&
      LoadStringA(ResourceLibrary(), code, buffer, static_cast<int>(capacity)) > 0) {
    // The system texts end with a line break; keep ours alike.
    size_t len = std::strlen(buffer);
    if (len + 2 < capacity) std::memcpy(buffer + len, "\r\n", 3);
    return true;
  }
  buffer[0] = '\0';
  return false;
}

bool ReportInternetError(DWORD code, const char* operation, int worker) {
  char text[256];
  if (!ErrorCodeText(code, text, sizeof text)) return false;
  std::string response;
  if (code == ERROR_INTERNET_EXTENDED_ERROR) {
    DWORD error = 0, length = 0;
    InternetGetLastResponseInfoA(&error, nullptr, &length);
    if (length > 0) {
      std::vector<char> buffer(length + 1, '\0');
      DWORD got = length + 1;
      if (InternetGetLastResponseInfoA(&error, buffer.data(), &got)) response.assign(buffer.data(), strnlen(buffer.data(), length));
    }
  }
  std::string line = FormatInternetErrorLine(operation, static_cast<int>(code), text, worker,
                                             response.empty() ? nullptr : response.c_str());
  ShowErrorLine(line.c_str());
  return true;
}

void ReportSftpError(const char* operation) {
  const char* last = SftpGetLastError();
  std::string fallback;
  if (!last) {
    fallback = LoadResString(IDS_SFTP_FAILED);
    last = fallback.c_str();
  }
  ShowErrorLine(FormatSftpErrorLine(operation, last).c_str());
}

void ReportText(const char* text) { ShowErrorLine(text); }

void ShowErrorLine(const char* text) {
  SetErrorReported(true);
  SendToProgress(gProgressWindows.dialog, PM_REPORT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}
