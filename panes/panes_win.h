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

constexpr const char kLocalPaneClass[] = "VortoLocalFrame";
constexpr const char kServerPaneClass[] = "VortoServerFrame";

// What the panes ask of the window that holds them, set by it before the
// panes are created. Unset entries do nothing.
struct PaneHost {
  // The active pane, its selection or its folder changed (the status bar's
  // count, the command toolbars).
  void (*stateChanged)() = nullptr;
  // Band titles (1) and locked bands (2) of the program's bars.
  uint32_t (*barFlags)() = nullptr;
  // Fills and enables the items of a context menu before it opens.
  void (*preparePopupMenu)(HMENU menu) = nullptr;
};
void SetPaneHost(const PaneHost& host);
void NotifyPaneStateChanged();
uint32_t HostBarFlags();
void HostPreparePopupMenu(HMENU menu);

bool RegisterPaneClasses(HINSTANCE instance);
HWND CreatePaneWindow(HWND parent, bool server, int x, int width, int height);
void DestroyPaneWindows();

// Null while the pane's window does not exist.
HWND LocalPaneWindow();
HWND ServerPaneWindow();
// The pane that commands go to (the local one until another is chosen).
HWND ActivePaneWindow();
void SetActivePane(HWND window);
// Items selected in the active pane.
int SelectedItemCount();

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
// Whether the filter box's mask in force hides an entry of either pane:
// files whose names it does not match; folders are always shown.
bool FilterHides(const char* name, uint32_t attributes);
// Shows the system's text for a Windows error code.
void ShowSystemError(DWORD code);

#endif
