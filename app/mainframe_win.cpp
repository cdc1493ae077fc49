#include "app/profileswitch_win.h"
#include "app/mainframe_win.h"

#include <windows.h>
#include <windowsx.h>
#include <shlobj.h>
#include <commctrl.h>

#include <cstring>

#include "app/appstate_win.h"
#include "app/bars_win.h"
#include "app/commandbars_win.h"
#include "app/filterbox_win.h"
#include "app/quickconnect_win.h"
#include "base/toolbarimages_win.h"
#include "base/libreg_win.h"
#include "base/msgbox_win.h"
#include "app/statusbar_win.h"
#include "base/textbuf.h"
#include "base/windowinfo.h"
#include "engine/engine_win.h"
#include "engine/progress_win.h"
#include "engine/progressapi_win.h"
#include "engine/syncreview_win.h"
#include "engine/transfer_win.h"
#include "panes/panes_win.h"
#include "profiles/current_win.h"
#include "profiles/login_win.h"
#include "res/resource.h"

namespace {
constexpr int kSplitterHalfGap = 3;
constexpr int kSplitterGrab = 5;
constexpr DWORD kCloseDeadlineMs = 5000;

bool gLayoutRunning = false;
bool gFirstShowDone = false;
bool gDraggingSplitter = false;


int BarAreaHeight() {
  if (!gApp.barsShown || !gApp.rebar || !IsWindowVisible(gApp.rebar)) return 0;
  RECT rc;
  GetWindowRect(gApp.rebar, &rc);
  return (rc.bottom - rc.top) + 4;
}

int StatusBarHeight() {
  if (!gApp.statusBar || !IsWindowVisible(gApp.statusBar)) return 0;
  RECT rc;
  GetWindowRect(gApp.statusBar, &rc);
  return rc.bottom - rc.top;
}

bool OnCreate(HWND window) {
  SetMainWindow(window);
  // The toolbar images outlive every bar that shows them.
  if (!CreateToolbarImages(ReadToolbarImageOptions(), gApp.tools) && !CreateToolbarImages({false, 2}, gApp.tools))
    return false;
  RECT rc;
  GetClientRect(window, &rc);
  gApp.splitter = rc.right / 2;
  PaneHost host;
  // The status bar's count and the command toolbars follow the active pane.
  host.stateChanged = [] {
    LayoutStatusBar();
    RefreshCommandStates();
  };
  host.barFlags = BarFlags;
  host.preparePopupMenu = [](HMENU menu) { OnInitMenuPopup(menu, false); };
  SetPaneHost(host);
  HWND local = CreatePaneWindow(window, false, 0, gApp.splitter - kSplitterHalfGap, rc.bottom);
  HWND server = CreatePaneWindow(window, true, gApp.splitter + kSplitterHalfGap,
                                 rc.right - gApp.splitter - kSplitterHalfGap, rc.bottom);
  if (!local || !server) return false;
  SetActivePane(local);

  HMENU menu = LoadMenuA(ResourceLibrary(), MAKEINTRESOURCEA(IDR_MAINMENU));
  if (!menu) return false;
  SetMenu(window, menu);

  CreateStatusBar(window);
  CreateBars(window);

  char folder[MAX_PATH] = {};
  HKEY common = OpenCommonKey(kKeyStartupRead);
  RegReadString(common, "LocalDir", folder, sizeof folder, "");
  if (common) RegCloseKey(common);
  if (!folder[0] || !SetCurrentDirectoryA(folder)) {
    char documents[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
      SetCurrentDirectoryA(documents);
  }
  RefreshLocalPane();
  SetFocus(ActivePaneWindow());

  gApp.progressWindow = CreateProgressWindow(window, ShowActionText);

  // The current profile: the one named on the command line, else the one
  // last used; one that cannot be loaded gives way to quick connect.
  if (!gCurrent.name[0]) {
    HKEY key = OpenCommonKey(kKeyStartupRead);
    RegReadString(key, "CurrConfig", gCurrent.name, sizeof gCurrent.name, "");
    if (key) RegCloseKey(key);
    if (!IsValidProfileName(gCurrent.name)) gCurrent.name[0] = '\0';
  }
  if (gCurrent.name[0] && !ApplyCurrentProfile(true)) {
    lstrcpynA(gCurrent.name, kQuickConnectProfile, sizeof gCurrent.name);
    ApplyCurrentProfile(true);
  }
  LayoutMainWindow();
  return true;
}

void OnFirstShow(HWND window) {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<BYTE> stored;
  WindowInfo info;
  if (key && RegReadBlob(key, "WindowInfo", stored) && DecodeWindowInfo(stored.data(), stored.size(), info)) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(window, &wp);
    wp.rcNormalPosition = {info.left, info.top, info.right, info.bottom};
    wp.showCmd = static_cast<UINT>(info.showCmd);
    // The splitter is known before the placement sizes the window, so the
    // first layout already puts it where it was.
    gApp.splitter = info.splitter;
    SetWindowPlacement(window, &wp);
    RECT rc;
    GetClientRect(window, &rc);
    gApp.splitter = ClampSplitter(info.splitter, rc.right);
    LayoutMainWindow();
  }
  if (key) RegCloseKey(key);
  SetTimer(window, kTimerFirstShow, 10, nullptr);
}

void OnFirstShowTimer(HWND window) {
  KillTimer(window, kTimerFirstShow);
  // The connection wizard is offered here once it exists (ShowNewWizard).
  UpdateMainTitle();
  if (gApp.commandLine.mode == kCmdProfile) {
    ConnectCurrentProfile(window);
  } else if (gApp.commandLine.mode == kCmdAddress) {
    ShowQuickConnect(gApp.commandLine.address);
  }
  if (gApp.progressWindow && IsWindowVisible(gApp.progressWindow))
    SetWindowPos(gApp.progressWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void SaveWindowState(HWND window) {
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  HKEY key = OpenCommonKey(0);
  if (!key) return;
  if (GetWindowPlacement(window, &wp)) {
    WindowInfo info;
    info.left = wp.rcNormalPosition.left;
    info.top = wp.rcNormalPosition.top;
    info.right = wp.rcNormalPosition.right;
    info.bottom = wp.rcNormalPosition.bottom;
    info.showCmd = static_cast<int32_t>(wp.showCmd);
    info.splitter = gApp.splitter;
    auto bytes = EncodeWindowInfo(info);
    RegWriteBinary(key, "WindowInfo", bytes.data(), static_cast<DWORD>(bytes.size()));
  }
  char folder[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  if (n > 0 && n < sizeof folder) RegWriteString(key, "LocalDir", folder);
  RegCloseKey(key);
}

void OnDestroy(HWND window) {
  KillTimer(window, kTimerCloseDeadline);
  KillTimer(window, kTimerEditorWatch);
  DestroyProgressWindow();
  gApp.progressWindow = nullptr;
  SaveWindowState(window);
  DestroyBars();
  DestroyStatusImages();
  DestroyPaneWindows();
  DestroyToolbarImages();
  if (HMENU menu = GetMenu(window)) {
    SetMenu(window, nullptr);
    DestroyMenu(menu);
  }
  DestroyStatusBar();
  PostQuitMessage(0);
}

// The second half of a profile switch made while connected.
void SwitchAfterDisconnect(const char* name, uint32_t flags) {
  const bool quickEntry = (flags & kSwitchThenConnect) && (flags & kSwitchQuickEntry);
  if (!SetCurrentProfile(name)) {
    if (quickEntry) ForgetPendingQuickEntry();
    return;
  }
  if (quickEntry) ConnectPendingQuickEntry();
  else if (flags & kSwitchThenConnect) ConnectCurrentProfile(MainWindow());
}

void OnJobDone(HWND window, WPARAM wParam, LPARAM lParam) {
  auto* job = reinterpret_cast<EngineJob*>(wParam);
  const uint32_t flags = static_cast<uint32_t>(lParam);
  JobCompleted();
  ClearStatusTexts();
  EndProgress();
  SetProgressTitle(IDS_TITLE_DONE);
  SetProgressItem("", false);
  if (DWORD started = TakeTransferStartTick()) ShowElapsedTime(GetTickCount() - started);
  // A profile switch waited for this disconnect: the name travels in the job.
  char switchTo[sizeof job->directory] = {};
  if ((flags & kDoneSwitchProfile) && job) CopyText(switchTo, job->directory);
  if ((flags & kDoneConnectFailed) && !(flags & kDoneSwitchProfile)) StartDisconnect(kDoneRefreshServer);
  if (flags & kDoneKeepJob) {
    // A synchronize walk: the user reviews its steps, and what is left runs
    // as one upload list. A cancel during the walk discards it.
    if (IsCancelRequested() || !ReviewSynchronizeList(window, job) || !RunReviewedList(job)) FreeJob(job);
  } else if (!OnPaneJobDone(job, flags)) {
    // The panes take listings, refreshes and follow-ups.
    FreeJob(job);
  }
  ApplyPendingResize();
  if (switchTo[0] && !IsConnected()) SwitchAfterDisconnect(switchTo, flags);
  if (flags & kDoneDestroyWindow) DestroyWindow(window);
}

void PaintSplitter(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  int top = BarAreaHeight(), bottom = client.bottom - StatusBarHeight();
  RECT gap = {gApp.splitter - kSplitterHalfGap, top, gApp.splitter + kSplitterHalfGap, bottom};
  FillRect(dc, &gap, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &gap, EDGE_RAISED, BF_LEFT | BF_RIGHT);
  if (top > 0) {
    RECT strip = {0, top - 4, client.right, top};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  }
  EndPaint(window, &ps);
}

bool NearSplitter(int x) { return x >= gApp.splitter - kSplitterGrab && x <= gApp.splitter + kSplitterGrab; }

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window) ? 0 : -1;
    case WM_SHOWWINDOW:
      if (wParam && !gFirstShowDone) {
        gFirstShowDone = true;
        OnFirstShow(window);
      }
      break;
    case WM_TIMER:
      if (wParam == kTimerFirstShow) OnFirstShowTimer(window);
      else if (wParam == kTimerCloseDeadline) DestroyWindow(window);
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayoutMainWindow();
      return 0;
    case WM_PAINT:
      PaintSplitter(window);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(window, &pt);
        if (NearSplitter(pt.x)) {
          SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN:
      if (NearSplitter(GET_X_LPARAM(lParam))) {
        gDraggingSplitter = true;
        SetCapture(window);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (gDraggingSplitter) SetSplitter(GET_X_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      if (gDraggingSplitter) {
        gDraggingSplitter = false;
        ReleaseCapture();
        if (ActivePaneWindow()) SetFocus(ActivePaneWindow());
      }
      return 0;
    case WM_CAPTURECHANGED:
      gDraggingSplitter = false;
      return 0;
    case WM_SETFOCUS:
      if (ActivePaneWindow()) SetFocus(ActivePaneWindow());
      return 0;
    case WM_COMMAND:
      OnMainCommand(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      RefreshCommandStates();
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == RBN_HEIGHTCHANGE) {
        LayoutMainWindow();
      } else if (header->code == RBN_LAYOUTCHANGED) {
        SaveBarLayout();
      } else if (header->code == RBN_CHEVRONPUSHED) {
        ShowChevronMenu(reinterpret_cast<NMREBARCHEVRON*>(lParam));
      } else if (header->code == TTN_GETDISPINFOA) {
        // Toolbar tips: the command's short name without its mnemonic, or
        // the external tool's title.
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        static char tip[80];
        ToolbarTipText(static_cast<UINT>(header->idFrom), tip, sizeof tip);
        info->lpszText = tip;
      } else {
        LRESULT result = 0;
        if (HandleToolbarNotify(header, result)) return result;
        HandleFilterNotify(header);
      }
      return 0;
    }
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), HIWORD(lParam) != 0);
      return 0;
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      return 0;
    case WM_EXITMENULOOP:
      EndMenuHelp();
      return 0;
    case WM_CONTEXTMENU: {
      HWND from = reinterpret_cast<HWND>(wParam);
      if (from == window || from == gApp.statusBar) break;
      HMENU menu = LoadMenuA(ResourceLibrary(), MAKEINTRESOURCEA(IDM_CONTEXT_BARS));
      if (menu) {
        OnInitMenuPopup(GetSubMenu(menu, 0), false);
        TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, GET_X_LPARAM(lParam),
                       GET_Y_LPARAM(lParam), 0, window, nullptr);
        DestroyMenu(menu);
      }
      return 0;
    }
    case WM_JOB_DONE:
      OnJobDone(window, wParam, lParam);
      RefreshCommandStates();
      return 0;
    case WM_SETTINGS_CHANGED:
      ApplyCurrentProfile(false);
      RebuildBars();
      InvalidateRect(LocalPaneWindow(), nullptr, TRUE);
      InvalidateRect(ServerPaneWindow(), nullptr, TRUE);
      return 0;
    case WM_CONNECTION_LOST:
      StartDisconnect(kDoneRefreshServer);
      ShowMessage(nullptr, IDS_CONNECTION_LOST, MB_OK | MB_ICONWARNING);
      return 0;
    case WM_CONNECTION_COUNT:
      if (wParam == 2) {
        gApp.openConnections = static_cast<int>(lParam);
        ShowConnectionCount(gApp.openConnections);
        RefreshCommandStates();
      }
      return 0;
    case WM_LOGIN_REFUSED:
      return ShowLoginDialog(window, static_cast<DWORD>(lParam));
    case WM_SECURE_INDICATOR:
      ShowSecureIndicator(wParam != 0);
      return 0;
    case WM_CLOSE:
      CloseMainWindow();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends: close as a normal close would, without waiting
      // for the server. Destroying the window saves the panes, the bars,
      // the histories and the placement.
      if (wParam) {
        gApp.closing = true;
        RequestCancel();
        StartDisconnect(0);
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = ResourceLibrary() ? LoadIconA(ResourceLibrary(), MAKEINTRESOURCEA(IDI_VORTO)) : nullptr;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClass;
  return RegisterClassExA(&wc) != 0;
}

HWND CreateMainWindow(int showCmd) {
  HWND window = CreateWindowExA(0, kMainClass, kAppTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ProgramInstance(), nullptr);
  if (!window) return nullptr;
  ShowWindow(window, showCmd);
  UpdateWindow(window);
  return window;
}

void LayoutMainWindow() {
  HWND window = MainWindow();
  if (!window || gLayoutRunning || IsIconic(window)) return;
  gLayoutRunning = true;
  RECT rc;
  GetClientRect(window, &rc);
  if (gApp.rebar && gApp.barsShown) SendMessageA(gApp.rebar, WM_SIZE, 0, 0);
  if (gApp.statusBar) SendMessageA(gApp.statusBar, WM_SIZE, 0, 0);
  int top = BarAreaHeight();
  int bottom = rc.bottom - StatusBarHeight();
  int height = bottom > top ? bottom - top : 0;
  gApp.splitter = ClampSplitter(gApp.splitter, rc.right);
  int leftWidth = gApp.splitter - kSplitterHalfGap;
  int rightX = gApp.splitter + kSplitterHalfGap;
  if (LocalPaneWindow()) MoveWindow(LocalPaneWindow(), 0, top, leftWidth > 0 ? leftWidth : 0, height, TRUE);
  if (ServerPaneWindow())
    MoveWindow(ServerPaneWindow(), rightX, top, rc.right > rightX ? rc.right - rightX : 0, height, TRUE);
  LayoutStatusBar();
  InvalidateRect(window, nullptr, FALSE);
  gLayoutRunning = false;
}

void StartDisconnect(uint32_t completionFlags) {
  if (!IsConnected()) return;
  auto* job = new EngineJob();
  job->flags = completionFlags;
  if (!StartJob(DisconnectJob, job)) FreeJob(job);
}

void ConnectCurrentProfile(HWND owner) {
  // While a job runs (a disconnect, say) the pool is not ours to start.
  if (IsConnected() || ActiveJobs() > 0 || !PrepareConnectPassword(owner)) return;
  if (StartWorkers() <= 0) return;
  ShowProgressWindow(true);
  auto* job = new EngineJob();
  if (!StartJob(ConnectJob, job)) FreeJob(job);
}

void SetSplitter(int x) {
  RECT rc;
  GetClientRect(MainWindow(), &rc);
  gApp.splitter = ClampSplitter(x, rc.right);
  LayoutMainWindow();
}

void CloseMainWindow() {
  HWND window = MainWindow();
  if (!window) return;
  if (IsConnected()) {
    // The disconnect's completion destroys the window; if it never comes,
    // the deadline timer does. A running transfer is cancelled, so the
    // disconnect need not wait for its end.
    gApp.closing = true;
    RequestCancel();
    ShowWindow(window, SW_HIDE);
    SetTimer(window, kTimerCloseDeadline, kCloseDeadlineMs, nullptr);
    StartDisconnect(kDoneDestroyWindow);
    return;
  }
  DestroyWindow(window);
}
