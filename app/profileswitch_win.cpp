#include "app/profileswitch_win.h"

#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "base/useroptions.h"
#include "engine/engine_win.h"
#include "panes/panes_win.h"
#include "profiles/current_win.h"
#include "profiles/profilestore_win.h"
#include "res/resource.h"

namespace {
void RefreshPane(HWND pane) {
  if (pane && pane == LocalPaneWindow()) RefreshLocalPane();
  else if (pane && pane == ServerPaneWindow()) RefreshServerPane();
}
}  // namespace

bool SetCurrentProfile(const char* name, uint32_t continuation) {
  if (ActiveJobs() > 0) return false;
  if (!name || !IsValidProfileName(name)) {
    ShowMessage(nullptr, IDS_BAD_PROFILE_NAME, MB_OK | MB_ICONWARNING);
    return false;
  }
  if (IsConnected()) {
    // The switch happens once the disconnect has finished; the disconnect
    // job carries the new name and what follows to the completion handler.
    if (ShowMessage(nullptr, IDS_SWITCH_WHILE_CONNECTED, MB_YESNO | MB_ICONWARNING) != IDYES) return false;
    auto* job = new EngineJob();
    CopyText(job->directory, name);
    job->flags = kDoneRefreshServer | kDoneSwitchProfile | continuation;
    if (!StartJob(DisconnectJob, job)) FreeJob(job);
    return false;
  }
  CopyText(gCurrent.name, name);
  UpdateMainTitle();
  HKEY common = OpenCommonKey(0);
  RegWriteString(common, "CurrConfig", gCurrent.name);
  if (common) RegCloseKey(common);
  ApplyCurrentProfile(true);
  RefreshPane(LocalPaneWindow());
  RefreshPane(ServerPaneWindow());
  return true;
}

bool ApplyCurrentProfile(bool restoreFolders) {
  int32_t oldZone = gCurrent.record.timeZone;
  bool loaded = LoadProfile(gCurrent.name, gCurrent.record, gCurrent.lists);
  if (restoreFolders) {
    char folder[MAX_PATH] = {};
    if (gCurrent.record.rememberLastFolders) {
      HKEY key = OpenProfileKey(gCurrent.name, kKeyStartupRead);
      RegReadString(key, "LastLocalDir", folder, sizeof folder, "");
      if (key) RegCloseKey(key);
    } else {
      CopyText(folder, gCurrent.record.localFolder);
    }
    if (folder[0] && SetCurrentDirectoryA(folder)) RefreshPane(LocalPaneWindow());
    Options().transferMode = gCurrent.record.transferMode;
  }
  if (oldZone != gCurrent.record.timeZone) RefreshPane(ServerPaneWindow());
  Options().syncBrowsing = gCurrent.record.syncBrowsing != 0;
  return loaded;
}

