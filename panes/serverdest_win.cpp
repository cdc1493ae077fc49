// Copy to and move to another server folder (commands 4119, 4120): the
// destination dialog (183 copy, 167 move) and the rename-or-copy job.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/appstate_win.h"
#include "base/msgbox_win.h"
#include "base/textbuf.h"
#include "panes/panepaths.h"
#include "panes/serverframe_win.h"
#include "res/resource.h"

namespace {
struct DestinationState {
  std::string description;
  std::vector<std::string> folders;
  std::string chosen;
};

INT_PTR CALLBACK DestinationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DestinationState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DestinationState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      char format[200] = {}, text[600];
      GetDlgItemTextA(dialog, IDC_DEST_TEXT, format, sizeof format);
      // The template's text is a format with one %s; anything else in it
      // is shown as it stands.
      const char* percent = std::strstr(format, "%s");
      if (percent && !std::strchr(percent + 2, '%') && std::strchr(format, '%') == percent)
        snprintf(text, sizeof text, format, state->description.c_str());
      else
        CopyText(text, format);
      SetDlgItemTextA(dialog, IDC_DEST_TEXT, text);
      HWND box = GetDlgItem(dialog, IDC_DEST_FOLDER);
      SendMessageA(box, CB_SETEXTENDEDUI, TRUE, 0);
      SendMessageA(box, CB_LIMITTEXT, 259, 0);
      for (const std::string& folder : state->folders)
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.c_str()));
      SendMessageA(box, CB_SETCURSEL, 0, 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        char folder[260] = {};
        GetDlgItemTextA(dialog, IDC_DEST_FOLDER, folder, sizeof folder);
        state->chosen = folder;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}
}  // namespace

void CServerFrame::CopyOrMoveTo(bool copy) {
  if (!IsConnected() || SelectedCount() == 0) return;
  DestinationState state;
  state.description = DescribeSelection();
  state.folders.push_back(current);
  for (const AddressEntry& entry : addressEntries)
    if (entry.text != current) state.folders.push_back(entry.text);
  if (DialogBoxParamA(ResourceLibrary(), MAKEINTRESOURCEA(copy ? IDD_COPY_TO : IDD_MOVE_TO), MainWindow(),
                      DestinationProc, reinterpret_cast<LPARAM>(&state)) != IDOK ||
      state.chosen.empty())
    return;
  std::string destination;
  if (state.chosen[0] == '/') destination = state.chosen;
  else if (!JoinPanePath(current, state.chosen, '/', destination)) return;
  std::string here = current, there = destination;
  if (here.size() > 1 && here.back() == '/') here.pop_back();
  if (there.size() > 1 && there.back() == '/') there.pop_back();
  const bool sameFolder = here == there;
  if (sameFolder && !copy) return;  // moving onto itself
  auto* pairs = new std::vector<std::string>();
  int entry = -1;
  for (int item = NextSelected(-1, entry); item >= 0; item = NextSelected(item, entry)) {
    std::string name = entries[static_cast<size_t>(entry)].name;
    std::string source, target;
    if (!FullPath(name.c_str(), source)) continue;
    if (sameFolder) {
      char copied[300];
      snprintf(copied, sizeof copied, LoadResString(IDS_COPY_OF).c_str(), name.c_str());
      name = copied;
      CopyText(selectAfterListing, name);
    }
    // A path that would not fit is skipped, never cut into another name.
    if (name.find('/') != std::string::npos || !JoinPanePath(destination, name, '/', target)) continue;
    pairs->push_back(source);
    pairs->push_back(target);
  }
  QueueRenamePairs(pairs, copy);
}
