// Help through HTML Help: the library is located through the registry and
// loaded on first use; when it cannot be had, help stays silent.
#ifndef VORTO_BASE_HELP_WIN_H
#define VORTO_BASE_HELP_WIN_H

#include <windows.h>

void ShowHelpTopic(DWORD topic);
// Context help of a dialog: `table` holds (control id, topic) pairs and
// ends with a zero control id.
void ShowDialogContextHelp(HWND dialog, const HELPINFO* info, const DWORD* table);
void UnloadHelp();
// The help file the topics are shown from (the program folder's Vorto.chm).
void SetHelpFile(const char* path);

#endif
