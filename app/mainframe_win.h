// The main window: bars on top, the local and server panes side by side
// with a splitter between them, and the status bar at the bottom.
#ifndef VORTO_APP_MAINFRAME_WIN_H
#define VORTO_APP_MAINFRAME_WIN_H

#include <windows.h>

#include <cstdint>

bool RegisterMainClass(HINSTANCE instance);
HWND CreateMainWindow(int showCmd);
void LayoutMainWindow();
void SetSplitter(int x);
// Destroys the window, or first disconnects when a connection is open.
void CloseMainWindow();
// Starts a disconnect job whose completion carries `completionFlags`.
void StartDisconnect(uint32_t completionFlags);

// Command handling of the main window (commands_win.cpp).
void OnMainCommand(HWND window, WORD id, WORD notifyCode, HWND control);
void GetCommandState(WORD id, bool& enabled, bool& checked);
void ConnectCurrentProfile(HWND owner);

// Menus (menus_win.cpp).
void OnInitMenuPopup(HMENU menu, bool systemMenu);
void OnMenuSelect(WORD id, WORD flags, HMENU menu);

#endif
