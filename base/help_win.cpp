#include "base/help_win.h"

#include <cstring>


namespace {
using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHelpContext = 15;

HMODULE gHelpLibrary = nullptr;
HtmlHelpFn gHtmlHelp = nullptr;
bool gHelpUnavailable = false;
char gHelpFile[MAX_PATH] = {};

HMODULE LoadHelpLibrary() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0, KEY_READ,
                    &key) == ERROR_SUCCESS) {
    char path[MAX_PATH], expanded[MAX_PATH];
    DWORD type = 0, size = sizeof path - 1;
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      path[size < sizeof path ? size : sizeof path - 1] = '\0';
      const char* file = path;
      if (type == REG_EXPAND_SZ) {
        DWORD n = ExpandEnvironmentStringsA(path, expanded, sizeof expanded);
        if (n > 0 && n <= sizeof expanded) file = expanded;
      }
      if (HMODULE lib = LoadLibraryA(file)) return lib;
    }
  }
  return LoadLibraryA("hhctrl.ocx");
}

bool EnsureHelp() {
  if (gHtmlHelp) return true;
  if (gHelpUnavailable) return false;
  gHelpLibrary = LoadHelpLibrary();
  if (gHelpLibrary)
    gHtmlHelp = reinterpret_cast<HtmlHelpFn>(GetProcAddress(gHelpLibrary, MAKEINTRESOURCEA(14)));
  if (!gHtmlHelp) {
    if (gHelpLibrary) FreeLibrary(gHelpLibrary);
    gHelpLibrary = nullptr;
    gHelpUnavailable = true;
  }
  return gHtmlHelp != nullptr;
}
}  // namespace

void ShowHelpTopic(DWORD topic) {
  if (!EnsureHelp()) return;
  gHtmlHelp(GetDesktopWindow(), gHelpFile, kHelpContext, topic);
}

void ShowDialogContextHelp(HWND dialog, const HELPINFO* info, const DWORD* table) {
  if (!info || info->iContextType != HELPINFO_WINDOW) return;
  HWND control = static_cast<HWND>(info->hItemHandle);
  char cls[16] = {};
  GetClassNameA(control, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) control = GetNextDlgTabItem(dialog, control, FALSE);
  int id = GetDlgCtrlID(control);
  for (const DWORD* p = table; p && p[0]; p += 2)
    if (static_cast<int>(p[0]) == id) return ShowHelpTopic(p[1]);
  if (id == IDOK) ShowHelpTopic(21);
  else if (id == IDCANCEL) ShowHelpTopic(22);
  else if (id == IDHELP) ShowHelpTopic(23);
}

void UnloadHelp() {
  if (gHelpLibrary) FreeLibrary(gHelpLibrary);
  gHelpLibrary = nullptr;
  gHtmlHelp = nullptr;
}

void SetHelpFile(const char* path) {
  if (!path || std::strlen(path) >= sizeof gHelpFile) {
    gHelpFile[0] = '\0';
    return;
  }
  std::strcpy(gHelpFile, path);
}
