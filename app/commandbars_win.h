// The command toolbars of the main bar (ids 512..767): their buttons from
// the stored layout ("PIB<n>") or the built-in set, the platform's
// customize dialog, and the renumbering when one is removed.
#ifndef VORTO_APP_COMMANDBARS_WIN_H
#define VORTO_APP_COMMANDBARS_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

bool IsCommandToolbarId(uint32_t id);
HWND CreateCommandToolbar(HWND rebar, uint32_t id);
void SaveToolbarButtons(HWND toolbar);
// Moves the stored layouts of the toolbars above `removed` down one number
// and deletes the highest; the caller renumbers the windows.
void RenumberStoredToolbars(uint32_t removed, uint32_t highest);
// Deletes every stored toolbar layout, "PIB0" to "PIB255".
void DeleteStoredToolbars();
// The customize dialog's notifications; true when handled, with `result`.
bool HandleToolbarNotify(const NMHDR* header, LRESULT& result);
// Enables and checks the buttons of every toolbar in `rebar` by the
// commands' current state.
void UpdateToolbarButtons(HWND rebar);
// Tooltip of a toolbar button: the command's short name or the tool's title.
void ToolbarTipText(UINT command, char* out, size_t size);

#endif
