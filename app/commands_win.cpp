// The main window's command table: what each command does and when it is
// enabled or checked. Commands the main window does not handle go to the
// active pane.
#include <windows.h>
#include <shellapi.h>

#include "app/profileswitch_win.h"
#include "app/appstate_win.h"
#include "base/help_win.h"
#include "app/bars_win.h"
#include "app/barsettings_win.h"
#include "app/filterbox_win.h"
#include "app/mainframe_win.h"
#include "base/msgbox_win.h"
#include "app/statusbar_win.h"
#include "engine/engine_win.h"
#include "engine/progress_win.h"
#include "engine/transfer_win.h"
#include "panes/localframe_win.h"
#include "panes/panes_win.h"
#include "panes/serverframe_win.h"
#include "profiles/current_win.h"
#include "profiles/profilestore_win.h"
#include "res/resource.h"

namespace {
bool Connected() { return IsConnected(); }

void FocusOtherPane() {
  HWND other = ActivePaneWindow() == LocalPaneWindow() ? ServerPaneWindow() : LocalPaneWindow();
  if (other) SetFocus(other);
}

void SelectProfileByIndex(size_t index, bool connect) {
  std::vector<std::string> names = EnumerateProfiles();
  if (index >= names.size()) return;
  // While connected the switch (and the connect) follow the disconnect.
  if (SetCurrentProfile(names[index].c_str(), connect ? kSwitchThenConnect : 0) && connect)
    ConnectCurrentProfile(MainWindow());
}

void ShowAbout(HWND window) {
  std::string text = LoadResString(CMD_ABOUT);
  size_t cut = text.find('\n');
  ShowMessageText(window, (std::string(kAppTitle) + " 0.1\n\n" + text.substr(0, cut)).c_str(),
                  MB_OK | MB_ICONINFORMATION);
}
}  // namespace

void OnMainCommand(HWND window, WORD id, WORD notifyCode, HWND control) {
  if (id >= CMD_PROFILE_CONNECT_FIRST && id < CMD_PROFILE_SELECT_FIRST)
    return SelectProfileByIndex(id - CMD_PROFILE_CONNECT_FIRST, true);
  if (id >= CMD_PROFILE_SELECT_FIRST && id < CMD_TOOL_FIRST)
    return SelectProfileByIndex(id - CMD_PROFILE_SELECT_FIRST, false);

  switch (id) {
    case CMD_CONNECT:
      return ConnectCurrentProfile(window);
    case CMD_DISCONNECT:
      return StartDisconnect(0x10000);
    case CMD_MODE_AUTO:
    case CMD_MODE_ASCII:
    case CMD_MODE_BINARY:
      Options().transferMode = id - CMD_MODE_AUTO;
      return;
    case CMD_EXIT:
      return CloseMainWindow();
    case CMD_TOGGLE_BARS:
      if (gApp.rebar) {
        DestroyBars();
      } else {
        CreateBars(window);
      }
      return LayoutMainWindow();
    case CMD_TOGGLE_STATUSBAR:
      if (gApp.statusBar) DestroyStatusBar();
      else CreateStatusBar(window);
      return LayoutMainWindow();
    case CMD_SHOW_PROGRESS:
      if (gApp.progressWindow) {
        ShowWindow(gApp.progressWindow, SW_SHOW);
        SetForegroundWindow(gApp.progressWindow);
      }
      return;
    case CMD_PROGRESS_LIST:
      return ShowProgressWorkerList();
    case CMD_COPY_ERRORS:
      return CopyErrorLines();
    case CMD_CLEAR_ERRORS:
      return ClearErrorLines();
    case CMD_FOCUS_LIST:
    case CMD_FOCUS_TREE:
      if (!ActivePaneWindow() || !SendMessageA(ActivePaneWindow(), WM_COMMAND, id, 0)) FocusOtherPane();
      return;
    case CMD_OTHER_PANE:
      return FocusOtherPane();
    case CMD_SPLITTER_RIGHT:
      return SetSplitter(gApp.splitter + 2);
    case CMD_SPLITTER_LEFT:
      return SetSplitter(gApp.splitter - 2);
    case CMD_SYNC_BROWSING:
      Options().syncBrowsing = !Options().syncBrowsing;
      return;
    case CMD_HELP_CONTENTS:
      return ShowHelpTopic(1000);
    case CMD_HELP_TOPIC:
      return ShowHelpTopic(1022);
    case CMD_WEB_PAGE: {
      std::string address = LoadResString(IDS_WEB_PAGE);
      if (!address.empty()) ShellExecuteA(window, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      return;
    }
    case CMD_ABOUT:
      return ShowAbout(window);
    case CMD_TOGGLE_TOOLS_BAND:
      return ToggleBand(IDC_TOOLS_BAND);
    case CMD_TOGGLE_FILTER_BAND:
      return ToggleBand(IDC_FILTER_BAND);
    case CMD_TOGGLE_QUICK_BAND:
      return ToggleBand(IDC_QUICK_BAND);
    case CMD_FOCUS_QUICK:
      return FocusQuickConnect();
    case CMD_TOGGLE_BAND_TITLES:
      return ToggleBarFlag(1);
    case CMD_TOGGLE_LOCK_BANDS:
      return ToggleBarFlag(2);
    case CMD_CUSTOMIZE_BAR:
      return ShowBarSettings(window);
    case CMD_FOCUS_FILTER:
      return FocusFilterBox(false);
    case CMD_DROP_FILTER:
      return FocusFilterBox(true);
    case CMD_LEAVE_FILTER:
      return LeaveFilterBox();
    case CMD_SYNCHRONIZE:
      // The server pane's folder is made to match the local pane's.
      if (Connected() && LocalFrame() && ServerFrame() && ServerFrame()->CurrentDirectory()[0])
        StartSynchronize(LocalFrame()->CurrentDirectory(), ServerFrame()->CurrentDirectory());
      return;
    case CMD_WIZARD:
    case CMD_PROFILE_PROPERTIES:
    case CMD_EDIT_ALL_PROFILES:
    case CMD_SITE_MANAGER:
    case CMD_CUSTOMIZE:
    case CMD_IMPORT_EXPORT:
    case CMD_EXTERNAL_TOOLS:
    case CMD_KEYBOARD_MAP:
      // Main-window commands whose dialogs and bars are added with their
      // own subsystems; routed here so they never reach a pane.
      return;
  }
  if (ActivePaneWindow()) SendMessageA(ActivePaneWindow(), WM_COMMAND, MAKEWPARAM(id, notifyCode),
                                    reinterpret_cast<LPARAM>(control));
}

void GetCommandState(WORD id, bool& enabled, bool& checked) {
  enabled = true;
  checked = false;
  switch (id) {
    case CMD_DISCONNECT:
    case CMD_SYNCHRONIZE:
      enabled = Connected();
      break;
    case CMD_MODE_AUTO:
    case CMD_MODE_ASCII:
    case CMD_MODE_BINARY:
      checked = Options().transferMode == id - CMD_MODE_AUTO;
      break;
    case CMD_TOGGLE_BARS:
      checked = gApp.rebar != nullptr;
      break;
    case CMD_TOGGLE_STATUSBAR:
      checked = gApp.statusBar != nullptr;
      break;
    case CMD_TOGGLE_BAND_TITLES:
      enabled = gApp.rebar != nullptr;
      checked = (BarFlags() & 1) != 0;
      break;
    case CMD_TOGGLE_LOCK_BANDS:
      checked = (BarFlags() & 2) != 0;
      break;
    case CMD_CUSTOMIZE_BAR:
      enabled = gApp.rebar != nullptr;
      break;
    case CMD_TOGGLE_TOOLS_BAND:
      checked = BandShown(IDC_TOOLS_BAND);
      break;
    case CMD_TOGGLE_FILTER_BAND:
      checked = BandShown(IDC_FILTER_BAND);
      break;
    case CMD_TOGGLE_QUICK_BAND:
      checked = BandShown(IDC_QUICK_BAND);
      break;
    case CMD_PROFILE_PROPERTIES:
      enabled = gCurrent.name[0] != '\0';
      break;
    case CMD_SYNC_BROWSING:
      checked = Options().syncBrowsing;
      break;
    case CMD_UPLOAD:
    case CMD_DOWNLOAD:
    case CMD_EDIT:
    case CMD_NEW_FOLDER:
    case CMD_NEW_FILE:
    case CMD_DELETE:
    case CMD_DELETE_PERMANENT:
    case CMD_RENAME:
    case CMD_PROPERTIES:
    case CMD_CUT:
    case CMD_COPY:
    case CMD_PASTE:
    case CMD_COPY_LISTING:
    case CMD_COPY_TO:
    case CMD_MOVE_TO:
    case CMD_SELECT_ALL:
    case CMD_INVERT_SELECTION:
    case CMD_BACK:
    case CMD_FORWARD:
    case CMD_HOME:
    case CMD_UP:
    case CMD_OPEN:
      // Pane commands: the active pane decides.
      if (!QueryPaneCommand(id, enabled, checked)) enabled = false;
      break;
    default:
      // Views, sorting, columns and the other pane-only commands.
      if (id == CMD_REFRESH || id == CMD_DESKTOP || id == CMD_MY_DOCUMENTS || id == CMD_COLUMNS ||
          id == CMD_FOCUS_ADDRESS || id == CMD_DROP_ADDRESS || id == CMD_SAVE_LISTING ||
          (id >= CMD_VIEW_ICONS && id <= CMD_VIEW_DETAILS) || (id >= CMD_SORT_FIRST && id < CMD_COLUMN_FIRST + 6))
        QueryPaneCommand(id, enabled, checked);
      break;
    case CMD_SITE_MANAGER:
    case CMD_WIZARD:
    case CMD_EDIT_ALL_PROFILES:
    case CMD_CUSTOMIZE:
    case CMD_IMPORT_EXPORT:
    case CMD_EXTERNAL_TOOLS:
    case CMD_KEYBOARD_MAP:
      // Their dialogs come with the site manager and the customization pages.
      enabled = false;
      break;
  }
}
