#include "app/quickconnect_win.h"

#include "app/appstate_win.h"
#include "app/libreg_win.h"
#include "app/mainframe_win.h"
#include "app/quickaddress.h"
#include "app/textbuf.h"
#include "profiles/current_win.h"

bool QuickConnect(const char* address, bool passive) {
  QuickAddress parsed;
  if (!address || !ParseQuickAddress(address, parsed)) return false;

  HKEY key = OpenCommonKey(0);
  std::vector<std::string> history = ReadNumberedList(key, "QuickUrl%02d", 260);
  MoveToTopOfHistory(history, parsed.host);
  WriteNumberedList(key, "QuickUrl%02d", history);
  if (key) RegCloseKey(key);

  if (!SetCurrentProfile(kQuickConnectProfile)) return false;
  // The address overrides the stored quick-connect record in memory only.
  ServerProfile& p = gCurrent.record;
  char host[260];
  if (!CopyTextWhole(host, parsed.host)) return false;
  CopyText(p.host, host);
  CopyText(p.user, parsed.user);
  CopyText(p.password, parsed.password);
  p.sftp = parsed.hasPrefix && parsed.sftp ? 1 : 0;
  p.passive = passive ? 1 : 0;
  p.anonymous = parsed.user.empty() && parsed.password.empty() ? 1 : 0;
  ConnectCurrentProfile(gApp.mainWindow);
  return true;
}
