// The overwrite questions of a transfer (dialog 140 for a file, 141 for a
// folder), shown on the job thread, modal to the main window. Each text
// control holds its own format, filled here.
#include <cstdio>
#include <string>

#include "app/appstate_win.h"
#include "engine/transfer_win.h"
#include "res/resource.h"

namespace {
std::string TimeText(uint64_t time) {
  if (time == 0) return std::string();
  FILETIME utc, local;
  utc.dwLowDateTime = static_cast<DWORD>(time);
  utc.dwHighDateTime = static_cast<DWORD>(time >> 32);
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return std::string();
  char text[32];
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute);
  return text;
}

// Fills control `id`, whose text is a format with up to two "%s".
void FillFormat(HWND dialog, int id, const char* first, const char* second) {
  char format[256] = {};
  GetDlgItemTextA(dialog, id, format, sizeof format);
  char text[1024];
  snprintf(text, sizeof text, format, first, second);  // the format comes from our own resources
  SetDlgItemTextA(dialog, id, text);
}

void FillEntry(HWND dialog, int id, const FileEntry* entry) {
  if (!entry) return;
  char size[32];
  snprintf(size, sizeof size, "%lld", static_cast<long long>(entry->size));
  std::string time = TimeText(entry->modified);
  if (time.empty()) return;  // the text stays as it is when the time is unknown
  FillFormat(dialog, id, size, time.c_str());
}

INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* q = reinterpret_cast<OverwriteQuestion*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      q = reinterpret_cast<OverwriteQuestion*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      if (q->folder) {
        FillFormat(dialog, IDC_OVERWRITE_TEXT, q->name, "");
      } else {
        FillFormat(dialog, IDC_OVERWRITE_TEXT, q->directory, q->name);
        FillEntry(dialog, IDC_OVERWRITE_EXISTING, q->existing);
        FillEntry(dialog, IDC_OVERWRITE_INCOMING, q->incoming);
        CheckDlgButton(dialog, IDC_OVERWRITE_NEWER, q->onlyIfNewer ? BST_CHECKED : BST_UNCHECKED);
      }
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id != IDYES && id != IDNO && id != IDC_YES_TO_ALL && id != IDCANCEL) break;
      if (q && !q->folder) q->onlyIfNewer = IsDlgButtonChecked(dialog, IDC_OVERWRITE_NEWER) == BST_CHECKED;
      EndDialog(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}
}  // namespace

int AskOverwriteDialog(OverwriteQuestion& question) {
  if (!ResourceLibrary()) return IDCANCEL;
  INT_PTR result = DialogBoxParamA(ResourceLibrary(),
                                   MAKEINTRESOURCEA(question.folder ? IDD_OVERWRITE_FOLDER : IDD_OVERWRITE_FILE),
                                   MainWindow(), QuestionProc, reinterpret_cast<LPARAM>(&question));
  // A dialog that could not be shown answers like Cancel: nothing is replaced.
  return result == IDYES || result == IDNO || result == IDC_YES_TO_ALL ? static_cast<int>(result) : IDCANCEL;
}
