// The status bar (id 272, five parts: action text, selected items, open
// connections, secure connection, elapsed time) of the main window.
#ifndef VORTO_APP_STATUSBAR_WIN_H
#define VORTO_APP_STATUSBAR_WIN_H

#include <windows.h>

#include "app/bars_win.h"

void CreateStatusBar(HWND parent);
void DestroyStatusBar();
void LayoutStatusBar();
void ShowConnectionCount(int count);
void ShowSecureIndicator(bool secure);
// The elapsed time of the last timed action, three significant digits.
void ShowElapsedTime(DWORD milliseconds);
void ShowActionText(const char* text);
void ClearStatusTexts();
// Menu help: the status bar switches to one simple part while a menu is open.
void ShowMenuHelp(const char* text);
void EndMenuHelp();

#endif
