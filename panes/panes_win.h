// The two panes as the main window sees them: registration and creation
// of their windows, the process-wide pane objects, the routing of job
// completions and commands, and the clipboard helpers they share.
#ifndef VORTO_PANES_PANES_WIN_H
#define VORTO_PANES_PANES_WIN_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/engine_win.h"

class CFrame;
class CLocalFrame;
class CServerFrame;

bool RegisterPaneClasses(HINSTANCE instance);
HWND CreatePaneWindow(HWND parent, bool server, int x, int width, int height);

// Null while the pane's window does not exist.
CLocalFrame* LocalFrame();
CServerFrame* ServerFrame();
CFrame* ActiveFrame();

// The main window's completion handler hands every finished job here
// first. Returns true when a pane kept the job (it then frees it later).
bool OnPaneJobDone(EngineJob* job, uint32_t flags);
// Enabled and checked state of a command in the active pane; false when
// no pane is there to ask.
bool QueryPaneCommand(int id, bool& enabled, bool& checked);
// The server pane after the connection opened or closed.
void RefreshServerPane();
void RefreshLocalPane();

// The main window's command toolbars follow the active pane's selection:
// the main window sets this at start-up, and a pane calls
// NotifyPaneStateChanged whenever its selection changes or it becomes the
// active pane.
void SetPaneStateListener(void (*listener)());
void NotifyPaneStateChanged();

// Both panes build their bars again (new toolbar images, band titles or
// locking).
void RebuildPaneBars(bool keepLayout = true);

// The private clipboard format "OstravineFtp" of the server pane.
UINT ServerClipboardFormat();
bool ClipboardOffersPaste(bool remote);
// Command 4117: picks the format and calls the pane's PasteData.
void PasteFromClipboard(CFrame& frame);
// The paths of a CF_HDROP block as NUL-separated text ending in two NULs,
// read only within the block; empty when it holds none.
std::string ReadDropFileList(HANDLE data);
// Shows the system's text for a Windows error code.
void ShowSystemError(DWORD code);

#endif
