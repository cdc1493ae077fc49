// The histories of the bar's combo boxes: numbered values in "Common",
// most recent first.
#ifndef VORTO_APP_BARHISTORY_WIN_H
#define VORTO_APP_BARHISTORY_WIN_H

#include <windows.h>

void FillHistory(HWND comboEx, const char* format);
void SaveHistory(HWND comboEx, const char* format);

#endif
