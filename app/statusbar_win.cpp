#include "app/statusbar_win.h"

#include <commctrl.h>

#include <cstdio>

#include "app/appstate_win.h"
#include "app/quickconnect_win.h"
#include "res/resource.h"

namespace {
bool gSecure = false;
}

void CreateStatusBar(HWND parent) {
  if (gApp.statusBar) return;
  gApp.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)),
                                   gApp.instance, nullptr);
  gApp.statusBarShown = gApp.statusBar != nullptr;
  LayoutStatusBar();
}

void DestroyStatusBar() {
  if (gApp.statusBar) DestroyWindow(gApp.statusBar);
  gApp.statusBar = nullptr;
  gApp.statusBarShown = false;
}

void LayoutStatusBar() {
  if (!gApp.statusBar) return;
  RECT rc;
  GetClientRect(gApp.statusBar, &rc);
  int right = rc.right;
  int parts[3] = {right - 220 > 0 ? right - 220 : 0, right - 120 > 0 ? right - 120 : 0, -1};
  SendMessageA(gApp.statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
}

void ShowConnectionCount(int count) {
  if (!gApp.statusBar) return;
  char text[32] = "";
  if (count > 0) snprintf(text, sizeof text, "%d", count);
  SendMessageA(gApp.statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text));
}

void ShowSecureIndicator(bool secure) { gSecure = secure; }

void ClearStatusTexts() {
  if (gApp.statusBar) SendMessageA(gApp.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
}

void ShowMenuHelp(const char* text) {
  if (!gApp.statusBar) return;
  SendMessageA(gApp.statusBar, SB_SIMPLE, TRUE, 0);
  SendMessageA(gApp.statusBar, SB_SETTEXTA, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

void EndMenuHelp() {
  if (gApp.statusBar) SendMessageA(gApp.statusBar, SB_SIMPLE, FALSE, 0);
}

void CreateBars(HWND parent) {
  if (gApp.rebar) return;
  gApp.rebar = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, "",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                   RBS_BANDBORDERS | CCS_NODIVIDER,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_REBAR)),
                               gApp.instance, nullptr);
  gApp.barsShown = gApp.rebar != nullptr;
}

void DestroyBars() {
  if (gApp.rebar) DestroyWindow(gApp.rebar);
  gApp.rebar = nullptr;
  gApp.barsShown = false;
}

void RebuildBars() {
  if (!gApp.mainWindow || !gApp.barsShown) return;
  DestroyBars();
  CreateBars(gApp.mainWindow);
}

void ShowQuickConnect(const char* address) {
  // An address from the command line connects with passive mode off.
  QuickConnect(address, false);
}
