#ifndef VORTO_APP_STARTUP_WIN_H
#define VORTO_APP_STARTUP_WIN_H

#include <windows.h>

// Brings the program up, runs the message loop and tears everything down.
// Returns the process exit code.
int RunVorto(HINSTANCE instance, int showCmd);

#endif
