// Message boxes of the program: the program's title as caption, and the
// main window's last active popup as owner while it is visible.
#ifndef VORTO_BASE_MSGBOX_WIN_H
#define VORTO_BASE_MSGBOX_WIN_H

#include <windows.h>

#include <string>

// Loads a string from the resource library (empty when missing).
std::string LoadResString(UINT id);

// `owner` may be null: the main window's last active popup is used then.
int ShowMessage(HWND owner, UINT stringId, UINT type);
int ShowMessageFormat(HWND owner, UINT stringId, const char* argument, UINT type);
int ShowMessageText(HWND owner, const char* text, UINT type);

#endif
