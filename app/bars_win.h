// The bar area: rebar 273 with the main toolbar, the tools bar, the filter
// box and the quick-connect bar.
#ifndef VORTO_APP_BARS_WIN_H
#define VORTO_APP_BARS_WIN_H

#include <windows.h>

#include <cstdint>

void CreateBars(HWND parent);
void DestroyBars();
void RebuildBars();
void SaveBarLayout();
// Shows or hides band `id` (274 tools, 275 filter, 276 quick connect).
void ToggleBand(uint32_t id);
bool BandShown(uint32_t id);
void FocusQuickConnect();
// Flips band titles (1) or locked bands (2) on every band and saves.
void ToggleBarFlag(uint32_t flag);
uint32_t BarFlags();
HWND QuickConnectBar();
// Puts an address into the quick-connect bar and connects with it.
void ShowQuickConnect(const char* address);

#endif
