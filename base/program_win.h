// What every layer of the program shares: its module handles, the internet
// session, the main window that jobs and workers report to, and the main
// window's private messages. Start-up sets the handles once (tests that
// stand in for start-up set the ones they need); everyone else only reads.
#ifndef VORTO_BASE_PROGRAM_WIN_H
#define VORTO_BASE_PROGRAM_WIN_H

#include <windows.h>
#include <wininet.h>

constexpr const char kAppTitle[] = "Vorto";
constexpr const char kResourceLibrary[] = "vortores.dll";

// Private messages of the main window, posted or sent by jobs, workers and
// dialogs.
constexpr UINT WM_JOB_DONE = WM_USER + 256;
constexpr UINT WM_SETTINGS_CHANGED = WM_USER + 274;
constexpr UINT WM_CONNECTION_LOST = WM_USER + 275;
constexpr UINT WM_CONNECTION_COUNT = WM_USER + 276;
constexpr UINT WM_LOGIN_REFUSED = WM_USER + 277;
constexpr UINT WM_SECURE_INDICATOR = WM_USER + 279;

HINSTANCE ProgramInstance();
HINSTANCE ResourceLibrary();  // vortores.dll, loaded as data
HINTERNET InternetSession();
HWND MainWindow();
// The common controls' version as (major << 16) | minor; 4.0 when unknown.
DWORD CommonControlsVersion();
// The user's temporary folder with its trailing backslash; empty when the
// system gave none that fits.
const char* TempFolder();

void SetProgramInstance(HINSTANCE instance);
void SetResourceLibrary(HINSTANCE library);
void SetInternetSession(HINTERNET session);
void SetMainWindow(HWND window);
void SetCommonControlsVersion(DWORD version);

#endif
