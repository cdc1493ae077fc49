// Failures of network and file operations become one line each in the
// progress window's error page.
#ifndef VORTO_ENGINE_INETERROR_WIN_H
#define VORTO_ENGINE_INETERROR_WIN_H

#include <windows.h>

// `worker` is the worker index, or -1 when the failure belongs to none.
// Returns true when a line was shown.
bool ReportInternetError(DWORD code, const char* operation, int worker);
// The same line with " : " and what failed (a file or folder name) at the
// end, for failures the system's text alone would leave unnamed.
bool ReportInternetErrorOn(DWORD code, const char* operation, int worker, const char* subject);
void ReportSftpError(const char* operation);
void ReportText(const char* text);
void ShowErrorLine(const char* text);

// The text the system (or our own table for WinINet codes) has for `code`,
// into `buffer`; false when there is none.
bool ErrorCodeText(DWORD code, char* buffer, DWORD capacity);

#endif
