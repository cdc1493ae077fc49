// The two pane windows of the main window. Their list views and
// operations arrive with the pane classes; until then each pane is an
// empty, focusable area that shows which folder it stands for.
#ifndef VORTO_PANES_PANEWINDOW_WIN_H
#define VORTO_PANES_PANEWINDOW_WIN_H

#include <windows.h>

bool RegisterPaneClasses(HINSTANCE instance);
HWND CreatePaneWindow(HWND parent, bool server, int x, int width, int height);
// The server pane's text names the server and folder while connected.
void UpdateServerPaneText();

#endif
