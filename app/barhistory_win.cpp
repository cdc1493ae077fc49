#include "app/barhistory_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "base/libreg_win.h"

void FillHistory(HWND comboEx, const char* format) {
  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<std::string> history = ReadNumberedList(key, format, 260);
  if (key) RegCloseKey(key);
  for (const std::string& entry : history) {
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = -1;
    item.pszText = const_cast<char*>(entry.c_str());
    SendMessageA(comboEx, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}
void SaveHistory(HWND comboEx, const char* format) {
  if (!comboEx) return;
  std::vector<std::string> history;
  int count = static_cast<int>(SendMessageA(comboEx, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count && i < kMaxNumberedEntries; ++i) {
    char text[260] = {};
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (SendMessageA(comboEx, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) && text[0]) history.push_back(text);
  }
  HKEY key = OpenCommonKey(0);
  WriteNumberedList(key, format, history);
  if (key) RegCloseKey(key);
}
