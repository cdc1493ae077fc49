#include "profiles/current_win.h"

#include <cstdio>
#include <cstring>

#include "base/program_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "profiles/login_win.h"
#include "profiles/profilestore_win.h"
#include "res/resource.h"

CurrentProfile gCurrent;

bool IsQuickConnectCurrent() { return std::strcmp(gCurrent.name, kQuickConnectProfile) == 0; }

void UpdateMainTitle() {
  if (!MainWindow()) return;
  char title[400];
  if (gCurrent.name[0])
    snprintf(title, sizeof title, "%s - %s", gCurrent.name, kAppTitle);
  else
    snprintf(title, sizeof title, "%s", kAppTitle);
  SetWindowTextA(MainWindow(), title);
}

bool PrepareConnectPassword(HWND owner) {
  const ServerProfile& p = gCurrent.record;
  if (!p.host[0]) {
    ShowMessage(owner, IDS_NO_HOST, MB_OK | MB_ICONWARNING);
    return false;
  }
  CopyText(gCurrent.sessionPassword, p.password);
  bool needNothing = (p.anonymous && !p.sftp) || p.password[0] || (p.sftp && p.usePrivateKey && p.privateKeyFile[0]);
  if (needNothing) return true;
  return ShowLoginDialog(owner, 0) == IDOK;
}

uint64_t ServerTimeToUtc(uint64_t fileTime, int32_t timeZone) {
  if (ServerTimeToUtcFixed(timeZone, fileTime)) return fileTime;
  // Zone 0: the server's times are local times of this machine.
  FILETIME local, utc;
  local.dwLowDateTime = static_cast<DWORD>(fileTime);
  local.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  if (!LocalFileTimeToFileTime(&local, &utc)) return fileTime;
  return (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}
