#include "panes/panewindow_win.h"

#include <cstdio>

#include "app/appstate_win.h"
#include "engine/engine_win.h"
#include "profiles/current_win.h"
#include "res/resource.h"

namespace {
LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      gApp.activePane = window;
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      SetFocus(window);
      return 0;
    case WM_COMMAND:
      return 0;  // not taken: the caller may move on
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT rc;
      GetClientRect(window, &rc);
      FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
      DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
      char text[MAX_PATH + 16];
      if (GetDlgCtrlID(window) == IDC_LOCAL_PANE) {
        if (!GetCurrentDirectoryA(sizeof text, text)) text[0] = '\0';
      } else {
        GetWindowTextA(window, text, sizeof text);
      }
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(GetFocus() == window ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      RECT textRect = {rc.left + 6, rc.top + 6, rc.right - 6, rc.bottom - 6};
      DrawTextA(dc, text, -1, &textRect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(window, &ps);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

bool RegisterPaneClasses(HINSTANCE instance) {
  for (const char* name : {kLocalPaneClass, kServerPaneClass}) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PaneProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc)) return false;
  }
  return true;
}

void UpdateServerPaneText() {
  if (!gApp.serverPane) return;
  char text[MAX_PATH + 300];
  if (IsConnected() && ConnectedWorkers() > 0)
    snprintf(text, sizeof text, "%s %s", gCurrent.record.host, SessionDirectory());
  else
    snprintf(text, sizeof text, "Not connected");
  SetWindowTextA(gApp.serverPane, text);
  InvalidateRect(gApp.serverPane, nullptr, TRUE);
}

HWND CreatePaneWindow(HWND parent, bool server, int x, int width, int height) {
  return CreateWindowExA(0, server ? kServerPaneClass : kLocalPaneClass, server ? "Not connected" : "",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, x, 0, width, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(server ? IDC_SERVER_PANE : IDC_LOCAL_PANE)),
                         gApp.instance, nullptr);
}
