// The bar area: rebar 273 with the command toolbars, the tools bar, the
// filter box and the quick-connect bar.
#ifndef VORTO_APP_BARS_WIN_H
#define VORTO_APP_BARS_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "base/barlayout_win.h"

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
// The command toolbars shown, in display order.
std::vector<uint32_t> CommandToolbarIds();
// Adds an empty command toolbar with the lowest free id; 0 when none is free.
uint32_t AddCommandToolbar();
// Removes a command toolbar (never the first) and renumbers those above it.
bool RemoveCommandToolbar(uint32_t id);
void CustomizeCommandToolbar(uint32_t id);
// Forgets every stored bar and toolbar layout and the image options.
void ResetBars();
// Makes the toolbar images follow "LargeToolbar" and "ColorToolbar" again,
// rebuilding every bar that shows them.
void ReloadToolbarImages();
// Brings the toolbar buttons in line with the commands' state.
void RefreshCommandStates();
// A band's chevron was pressed: a popup of the buttons the band hides; the
// chosen one runs as if its button had been clicked.
void ShowChevronMenu(const NMREBARCHEVRON* chevron);
// Makes the quick-connect band wide enough for the controls it shows.
void FitQuickBand();
// Puts an address into the quick-connect bar and connects with it.
void ShowQuickConnect(const char* address);

#endif
