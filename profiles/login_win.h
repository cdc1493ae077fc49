// The login dialog: asks for the user name and the password to send, at
// connect time or when the server refused the login.
#ifndef VORTO_PROFILES_LOGIN_WIN_H
#define VORTO_PROFILES_LOGIN_WIN_H

#include <windows.h>

// `errorCode` 0 shows no error text. Returns IDOK or IDCANCEL.
INT_PTR ShowLoginDialog(HWND owner, DWORD errorCode);

// The user name and the session password of the current profile, read by
// every connecting worker while the dialog may write them: both sides go
// through one lock.
void ReadLoginCredentials(char (&user)[80], char (&password)[80]);
void WriteLoginCredentials(const char* user, const char* password);

#endif
