// The filter box (band 275): an editable combo box with a history whose
// chosen entry is the name mask the panes apply to files.
#ifndef VORTO_APP_FILTERBOX_WIN_H
#define VORTO_APP_FILTERBOX_WIN_H

#include <windows.h>
#include <commctrl.h>

HWND CreateFilterBox(HWND rebar);
// Called before the box goes away: writes the history and, with
// `clearFilter`, lifts the filter in force.
void RetireFilterBox(HWND box, bool clearFilter);
// Makes `mask` the filter of both panes and refreshes them when it changed.
void SetPaneFilter(const char* mask);
// Enter applies the box's entry; Escape selects the first entry.
bool HandleFilterNotify(const NMHDR* header);
// Commands 4159 and 4161 (focus, with the drop-down) and 4162 (leave).
void FocusFilterBox(bool dropDown);
void LeaveFilterBox();

#endif
