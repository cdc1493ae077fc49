#include "base/msgbox_win.h"

#include <cstdio>

#include "app/appstate_win.h"

std::string LoadResString(UINT id) {
  char buffer[512];
  int n = ResourceLibrary() ? LoadStringA(ResourceLibrary(), id, buffer, sizeof buffer) : 0;
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

static HWND MessageOwner(HWND owner) {
  if (owner) return owner;
  if (MainWindow() && IsWindowVisible(MainWindow())) return GetLastActivePopup(MainWindow());
  return nullptr;
}

int ShowMessageText(HWND owner, const char* text, UINT type) {
  return MessageBoxA(MessageOwner(owner), text, kAppTitle, type);
}

int ShowMessage(HWND owner, UINT stringId, UINT type) {
  return ShowMessageText(owner, LoadResString(stringId).c_str(), type);
}

int ShowMessageFormat(HWND owner, UINT stringId, const char* argument, UINT type) {
  char format[80];
  int n = ResourceLibrary() ? LoadStringA(ResourceLibrary(), stringId, format, sizeof format) : 0;
  if (n <= 0) format[0] = '\0';
  // The result of a format is kept below 340 characters however long the
  // argument is.
  char text[340];
  snprintf(text, sizeof text, format, argument ? argument : "");
  return ShowMessageText(owner, text, type);
}
