#include "app/statusbar_win.h"

#include <commctrl.h>

#include <shlwapi.h>

#include <cstdio>
#include <string>

#include "app/appstate_win.h"
#include "base/msgbox_win.h"
#include "app/statuslayout.h"
#include "base/textbuf.h"
#include "res/resource.h"

namespace {
bool gSecure = false;
HICON gSecureIcon = nullptr;
char gElapsed[64] = "";

int TextWidth(HWND bar, const std::string& text) {
  HDC dc = GetDC(bar);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0)));
  SIZE size = {};
  const std::string shown = text.empty() ? "  " : text;
  GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(bar, dc);
  return size.cx;
}

std::string Formatted(UINT id, int value) {
  std::string format = LoadResString(id);
  char text[128];
  snprintf(text, sizeof text, format.empty() ? "%d" : format.c_str(), value);
  return text;
}

std::string SelectedText() { return Formatted(IDS_STATUS_SELECTED, SelectedItemCount()); }
std::string ConnectionsText() { return Formatted(IDS_STATUS_CONNECTIONS, gApp.openConnections); }

void SetPart(int part, const std::string& text) {
  SendMessageA(gApp.statusBar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}
}  // namespace

void CreateStatusBar(HWND parent) {
  if (gApp.statusBar) return;
  gApp.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | SBARS_TOOLTIPS,
                                   0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)),
                                   ProgramInstance(), nullptr);
  gApp.statusBarShown = gApp.statusBar != nullptr;
  if (!gApp.statusBar) return;
  if (!gSecureIcon && ResourceLibrary())
    gSecureIcon = static_cast<HICON>(
        LoadImageA(ResourceLibrary(), MAKEINTRESOURCEA(IDI_SECURE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  LayoutStatusBar();
  const UINT tips[kStatusParts] = {0, IDS_TIP_SELECTED, IDS_TIP_CONNECTIONS, IDS_STATUS_SECURE, IDS_TIP_ELAPSED};
  for (int part = 1; part < kStatusParts; ++part) {
    std::string tip = LoadResString(tips[part]);
    SendMessageA(gApp.statusBar, SB_SETTIPTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(tip.c_str()));
  }
  ShowSecureIndicator(gSecure);
}

void DestroyStatusBar() {
  if (gApp.statusBar) DestroyWindow(gApp.statusBar);
  gApp.statusBar = nullptr;
  gApp.statusBarShown = false;
}

void LayoutStatusBar() {
  HWND bar = gApp.statusBar;
  if (!bar) return;
  RECT rc;
  GetClientRect(bar, &rc);
  int reserve = 0;
  if (!MainWindow() || !IsZoomed(MainWindow())) {
    int borders[3] = {};
    SendMessageA(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    reserve = GetSystemMetrics(SM_CXVSCROLL) + borders[0] + 2 * GetSystemMetrics(SM_CXBORDER);
  }
  std::string selected = SelectedText(), connections = ConnectionsText();
  auto edges = StatusPartEdges(rc.right, TextWidth(bar, selected), TextWidth(bar, connections),
                               TextWidth(bar, gElapsed), reserve);
  SendMessageA(bar, SB_SETPARTS, kStatusParts, reinterpret_cast<LPARAM>(edges.data()));
  SetPart(1, selected);
  SetPart(2, connections);
  SetPart(4, gElapsed);
}

void ShowConnectionCount(int count) {
  gApp.openConnections = count;
  LayoutStatusBar();
}

void ShowSelectedCount(int count) {
  SelectedItemCount() = count;
  LayoutStatusBar();
}

void ShowElapsedTime(DWORD milliseconds) {
  char text[64] = "";
  // The formatter fills the text even where it reports 0, so use the text.
  StrFromTimeIntervalA(text, sizeof text, milliseconds, 3);
  CopyText(gElapsed, text[0] == ' ' ? text + 1 : text);
  LayoutStatusBar();
}

void ShowSecureIndicator(bool secure) {
  gSecure = secure;
  if (!gApp.statusBar) return;
  SendMessageA(gApp.statusBar, SB_SETICON, 3, reinterpret_cast<LPARAM>(secure ? gSecureIcon : nullptr));
  SetPart(3, secure ? LoadResString(IDS_STATUS_SECURE) : std::string());
}

void ClearStatusTexts() {
  if (gApp.statusBar) SetPart(0, "");
}

void ShowActionText(const char* text) {
  if (!gApp.statusBar) return;
  // Padded so a short text does not leave the previous one's tail.
  SetPart(0, std::string(text ? text : "") + std::string(20, ' '));
}

void ShowMenuHelp(const char* text) {
  if (!gApp.statusBar) return;
  SendMessageA(gApp.statusBar, SB_SIMPLE, TRUE, 0);
  SendMessageA(gApp.statusBar, SB_SETTEXTA, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

void EndMenuHelp() {
  if (gApp.statusBar) SendMessageA(gApp.statusBar, SB_SIMPLE, FALSE, 0);
}
