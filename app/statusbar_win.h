// The status bar (id 272, five parts: action text, selected items, open
// connections, secure connection, elapsed time) and the bar area (rebar,
// id 273) of the main window.
#ifndef VORTO_APP_STATUSBAR_WIN_H
#define VORTO_APP_STATUSBAR_WIN_H

#include <windows.h>

void CreateStatusBar(HWND parent);
void DestroyStatusBar();
void LayoutStatusBar();
void ShowConnectionCount(int count);
void ShowSecureIndicator(bool secure);
void ShowSelectedCount(int count);
// The elapsed time of the last timed action, three significant digits.
void ShowElapsedTime(DWORD milliseconds);
void ShowActionText(const char* text);
void ClearStatusTexts();
// Menu help: the status bar switches to one simple part while a menu is open.
void ShowMenuHelp(const char* text);
void EndMenuHelp();

void CreateBars(HWND parent);
void DestroyBars();
void RebuildBars();
// Quick connect from an address given on the command line (the
// quick-connect bar of the bar area will show it too).
void ShowQuickConnect(const char* address);

#endif
