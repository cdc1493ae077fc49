#include "app/quickconnect_win.h"

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "app/mainframe_win.h"
#include "app/quickaddress.h"
#include "base/textbuf.h"
#include "profiles/current_win.h"

bool QuickConnectWithFields(const char* address, QuickConnectFields& fields) {
  QuickAddress parsed;
  if (!address || !ParseQuickAddress(address, parsed)) return false;
  char host[260];
  if (!CopyTextWhole(host, parsed.host)) return false;

  HKEY key = OpenCommonKey(0);
  std::vector<std::string> history = ReadNumberedList(key, "QuickUrl%02d", 260);
  MoveToTopOfHistory(history, parsed.host);
  WriteNumberedList(key, "QuickUrl%02d", history);
  if (key) RegCloseKey(key);

  if (parsed.hasPrefix) {
    CopyText(fields.user, parsed.user);
    CopyText(fields.password, parsed.password);
    fields.sftp = parsed.sftp;
  }
  if (!SetCurrentProfile(kQuickConnectProfile)) return false;
  // The bar's values override the stored quick-connect record in memory
  // only: that profile is never saved back.
  ServerProfile& p = gCurrent.record;
  CopyText(p.host, host);
  CopyText(p.user, fields.user);
  CopyText(p.password, fields.password);
  p.sftp = fields.sftp ? 1 : 0;
  p.passive = fields.passive ? 1 : 0;
  p.anonymous = !fields.user[0] && !fields.password[0] ? 1 : 0;
  ConnectCurrentProfile(MainWindow());
  return true;
}
