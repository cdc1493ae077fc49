#include "panes/panes_win.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "base/msgbox_win.h"
#include "base/program_win.h"
#include "base/useroptions.h"
#include "engine/transferrules.h"
#include "panes/frame_win.h"
#include "panes/localframe_win.h"
#include "panes/serverframe_win.h"
#include "res/resource.h"

namespace {
CLocalFrame* gLocalFrame = nullptr;
CServerFrame* gServerFrame = nullptr;
HWND gActivePane = nullptr;
PaneHost gHost;

// One thunk per pane kind: the object lives from WM_NCCREATE to
// WM_NCDESTROY and is reached through the window's user data.
template <typename Pane, Pane*& Global>
LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* pane = reinterpret_cast<Pane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    pane = new Pane();
    pane->window = window;
    Global = pane;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
  }
  if (!pane) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NOTIFYFORMAT) return NFR_ANSI;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (Global == pane) Global = nullptr;
    delete pane;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return pane->HandleMessage(message, wParam, lParam);
}

bool RegisterPane(HINSTANCE instance, const char* name, WNDPROC proc) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}
}  // namespace

bool RegisterPaneClasses(HINSTANCE instance) {
  return RegisterPane(instance, kLocalPaneClass, PaneProc<CLocalFrame, gLocalFrame>) &&
         RegisterPane(instance, kServerPaneClass, PaneProc<CServerFrame, gServerFrame>);
}

HWND CreatePaneWindow(HWND parent, bool server, int x, int width, int height) {
  return CreateWindowExA(WS_EX_CONTROLPARENT, server ? kServerPaneClass : kLocalPaneClass, "",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, 0, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(server ? IDC_SERVER_PANE : IDC_LOCAL_PANE)),
                         ProgramInstance(), nullptr);
}

void DestroyPaneWindows() {
  if (gLocalFrame) DestroyWindow(gLocalFrame->window);
  if (gServerFrame) DestroyWindow(gServerFrame->window);
  gActivePane = nullptr;
}

void SetPaneHost(const PaneHost& host) { gHost = host; }
void NotifyPaneStateChanged() {
  if (gHost.stateChanged) gHost.stateChanged();
}

uint32_t HostBarFlags() { return gHost.barFlags ? gHost.barFlags() : 0; }

void HostPreparePopupMenu(HMENU menu) {
  if (gHost.preparePopupMenu) gHost.preparePopupMenu(menu);
}

HWND LocalPaneWindow() { return gLocalFrame ? gLocalFrame->window : nullptr; }
HWND ServerPaneWindow() { return gServerFrame ? gServerFrame->window : nullptr; }

HWND ActivePaneWindow() {
  if (gActivePane && (gActivePane == LocalPaneWindow() || gActivePane == ServerPaneWindow())) return gActivePane;
  return LocalPaneWindow();
}

void SetActivePane(HWND window) { gActivePane = window; }

int SelectedItemCount() {
  CFrame* frame = ActiveFrame();
  return frame ? frame->SelectedCount() : 0;
}

CLocalFrame* LocalFrame() { return gLocalFrame; }
CServerFrame* ServerFrame() { return gServerFrame; }

void RebuildPaneBars(bool keepLayout) {
  if (gLocalFrame) gLocalFrame->RebuildBar(keepLayout);
  if (gServerFrame) gServerFrame->RebuildBar(keepLayout);
}

CFrame* ActiveFrame() {
  if (gServerFrame && ActivePaneWindow() == gServerFrame->window) return gServerFrame;
  return gLocalFrame;
}

bool QueryPaneCommand(int id, bool& enabled, bool& checked) {
  CFrame* frame = ActiveFrame();
  if (!frame) return false;
  enabled = frame->QueryCommand(id, checked);
  return true;
}

void RefreshServerPane() {
  if (gServerFrame) gServerFrame->Refresh(kRefreshFromServer, nullptr);
}

void RefreshLocalPane() {
  if (gLocalFrame) gLocalFrame->Refresh(kRefreshProcessFolder, nullptr);
}

bool OnPaneJobDone(EngineJob* job, uint32_t flags) {
  bool kept = false;
  if (gServerFrame) kept = gServerFrame->OnJobDone(job, flags);
  if ((flags & kDoneRefreshLocal) && gLocalFrame) gLocalFrame->Refresh(0, nullptr);
  return kept;
}

UINT ServerClipboardFormat() {
  static UINT format = RegisterClipboardFormatA("OstravineFtp");
  return format;
}

bool ClipboardOffersPaste(bool remote) {
  return IsClipboardFormatAvailable(ServerClipboardFormat()) || IsClipboardFormatAvailable(CF_HDROP) ||
         (remote && IsClipboardFormatAvailable(CF_TEXT));
}

namespace {
// A private copy of a clipboard block, read only within its size.
HGLOBAL CopyBlock(HANDLE data) {
  if (!data) return nullptr;
  const SIZE_T size = GlobalSize(data);
  const void* from = GlobalLock(data);
  if (!from) return nullptr;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1);
  void* to = copy ? GlobalLock(copy) : nullptr;
  if (to) {
    std::memcpy(to, from, size);
    GlobalUnlock(copy);
  } else if (copy) {
    GlobalFree(copy);
    copy = nullptr;
  }
  GlobalUnlock(data);
  return copy;
}
}  // namespace

void PasteFromClipboard(CFrame& frame) {
  UINT format = 0;
  if (IsClipboardFormatAvailable(ServerClipboardFormat())) format = ServerClipboardFormat();
  else if (IsClipboardFormatAvailable(CF_HDROP)) format = CF_HDROP;
  else if (frame.remote && IsClipboardFormatAvailable(CF_TEXT)) format = CF_TEXT;
  if (!format || !OpenClipboard(frame.window)) return;
  // The pane works on a copy once the clipboard is closed again: a shell
  // copy or move may run long and ask questions, and other programs must
  // be able to use the clipboard meanwhile.
  HGLOBAL data = CopyBlock(GetClipboardData(format));
  const bool serverPending = format == ServerClipboardFormat() && gServerFrame && gServerFrame->ClipboardPending();
  CloseClipboard();
  const int effect = frame.clipboardEffect == 1 ? 2 : 1;
  if (data || serverPending) frame.PasteData(data, effect, format);
  if (data) GlobalFree(data);
}

std::string ReadDropFileList(HANDLE data) {
  if (!data) return "";
  const SIZE_T size = GlobalSize(data);
  auto* header = static_cast<const DROPFILES*>(GlobalLock(data));
  if (!header) return "";
  std::string list;
  // The list is outside input: read only within the block and stop at
  // its double terminator.
  if (size >= sizeof(DROPFILES) && header->pFiles >= sizeof(DROPFILES) && header->pFiles < size) {
    const char* base = reinterpret_cast<const char*>(header) + header->pFiles;
    const size_t bytes = size - header->pFiles;
    if (header->fWide) {
      std::wstring wide(reinterpret_cast<const wchar_t*>(base), bytes / sizeof(wchar_t));
      const size_t end = wide.find(std::wstring(L"\0\0", 2));
      if (end != std::wstring::npos) {
        wide.resize(end + 2);
        int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
        list.resize(static_cast<size_t>(n > 0 ? n : 0));
        if (n > 0)
          WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), list.data(), n, nullptr, nullptr);
      }
    } else {
      std::string narrow(base, bytes);
      const size_t end = narrow.find(std::string("\0\0", 2));
      if (end != std::string::npos) list = narrow.substr(0, end + 2);
    }
  }
  GlobalUnlock(data);
  return list;
}

bool FilterHides(const char* name, uint32_t attributes) {
  return HiddenByFilter(name, (attributes & kAttrDirectory) != 0, Options().paneFilter);
}

void ShowSystemError(DWORD code) {
  char text[512] = {};
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                      nullptr))
    snprintf(text, sizeof text, "Error %lu", static_cast<unsigned long>(code));
  ShowMessageText(nullptr, text, MB_OK | MB_ICONWARNING);
}
