// The quick-connect bar (band 276): a child dialog with the address box and
// its history, user and password fields, the SFTP and passive boxes, and
// the connect and expand buttons.
#ifndef VORTO_APP_QUICKBAR_WIN_H
#define VORTO_APP_QUICKBAR_WIN_H

#include <windows.h>

HWND CreateQuickBar(HWND rebar);
// Writes the history and the two check boxes.
void SaveQuickBar();
// The bar's window is gone (its band was removed or the bar area closed).
void ForgetQuickBar();
HWND QuickConnectBar();
bool QuickBarExpanded();
// Width in pixels that the bar needs to show every control now visible.
int QuickBarContentWidth();
void ShowQuickExtras(bool show);
// Connects with the address in the bar's address box.
void ConnectFromQuickBar();

#endif
