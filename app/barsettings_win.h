// The bar settings dialog (command 4149): which command toolbars exist,
// which bands are shown, titles and locking, and the button images.
#ifndef VORTO_APP_BARSETTINGS_WIN_H
#define VORTO_APP_BARSETTINGS_WIN_H

#include <windows.h>

void ShowBarSettings(HWND owner);

#endif
