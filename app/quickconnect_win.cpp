#include "app/profileswitch_win.h"
#include "app/quickconnect_win.h"

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "app/mainframe_win.h"
#include "app/quickaddress.h"
#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "profiles/current_win.h"

namespace {
// What a quick connection puts into the "Quick Connect" record. It waits
// here while a connection the user agreed to close is being closed.
struct QuickEntry {
  bool pending = false;
  char host[260] = {};
  int port = 0;
  QuickConnectFields fields = {};
};
QuickEntry gEntry;

void ApplyAndConnect() {
  // The bar's values override the stored quick-connect record in memory
  // only: that profile is never saved back.
  ServerProfile& p = gCurrent.record;
  const QuickConnectFields& f = gEntry.fields;
  CopyText(p.host, gEntry.host);
  CopyText(p.user, f.user);
  CopyText(p.password, f.password);
  p.sftp = f.sftp ? 1 : 0;
  p.passive = f.passive ? 1 : 0;
  p.anonymous = !f.user[0] && !f.password[0] ? 1 : 0;
  if (gEntry.port) (f.sftp ? p.sftpPort : p.ftpPort) = gEntry.port;
  ForgetPendingQuickEntry();
  ConnectCurrentProfile(MainWindow());
}
}  // namespace

bool QuickConnectWithFields(const char* address, QuickConnectFields& fields) {
  QuickAddress parsed;
  if (!address || !ParseQuickAddress(address, parsed)) return false;
  ForgetPendingQuickEntry();
  if (!CopyTextWhole(gEntry.host, parsed.serverName)) return false;
  gEntry.port = parsed.port;

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
  gEntry.fields = fields;
  gEntry.pending = true;
  if (SetCurrentProfile(kQuickConnectProfile, kSwitchThenConnect | kSwitchQuickEntry)) {
    ApplyAndConnect();
  } else if (!IsConnected() || ActiveJobs() == 0) {
    // Refused, or the user kept the open connection: nothing waits.
    ForgetPendingQuickEntry();
  }
  return true;
}

void ConnectPendingQuickEntry() {
  if (gEntry.pending) ApplyAndConnect();
}

void ForgetPendingQuickEntry() {
  SecureZeroMemory(&gEntry, sizeof gEntry);
}
