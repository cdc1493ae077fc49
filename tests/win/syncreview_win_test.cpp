// The review of a synchronize list: sorted by kind, rows removed by the
// user are not run, the dialog's rectangle is kept as "SyncWI".
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/libreg_win.h"
#include "base/textbuf.h"
#include "engine/syncreview_win.h"
#include "res/resource.h"
#include "support/registry_fixture_win.h"
#include "support/files_win.h"

namespace {
TransferItem Step(int kind, const char* destination) {
  TransferItem item = {};
  item.kind = kind;
  CopyText(item.destination, destination);
  return item;
}

// Drives the dialog from another thread: selects the first row, removes it,
// reads the row count, and presses OK.
struct Driver {
  int rowsAfterRemove = -1;
  std::string firstRow;
  static DWORD WINAPI Run(void* p) {
    auto* d = static_cast<Driver*>(p);
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i) {
      Sleep(10);
      dialog = FindWindowA("#32770", "Synchronize Folders");
      // Found while still being made: wait until it shows.
      if (dialog && !IsWindowVisible(dialog)) dialog = nullptr;
    }
    if (!dialog) return 1;
    HWND list = GetDlgItem(dialog, IDC_SYNC_LIST);
    char text[300] = {};
    ListView_GetItemText(list, 0, 0, text, sizeof text);
    d->firstRow = text;
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SYNC_REMOVE, BN_CLICKED), 0);
    d->rowsAfterRemove = ListView_GetItemCount(list);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
  }
};
}  // namespace

TEST_F(RegistryTest, SynchronizeReviewSortsAndRunsWhatIsLeft) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadTestResourceLibrary();
  ASSERT_NE(ResourceLibrary(), nullptr);

  EngineJob job;
  job.transferList = std::make_unique<std::vector<TransferItem>>(std::vector<TransferItem>{Step(4, "/w/new.txt"), Step(1, "/w/gone.txt"),
                                                   Step(5, "/w/changed.txt"), Step(3, "/w/dir"),
                                                   Step(1, "/w/gone2.txt")});
  Driver driver;
  HANDLE t = CreateThread(nullptr, 0, Driver::Run, &driver, 0, nullptr);
  EXPECT_TRUE(ReviewSynchronizeList(nullptr, &job));
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  EXPECT_EQ(driver.firstRow, "Delete file /w/gone.txt");
  EXPECT_EQ(driver.rowsAfterRemove, 4);
  std::vector<std::string> left;
  for (const TransferItem& i : *job.transferList) left.push_back(std::to_string(i.kind) + i.destination);
  EXPECT_EQ(left, (std::vector<std::string>{"1/w/gone2.txt", "3/w/dir", "4/w/new.txt", "5/w/changed.txt"}));
  job.transferList.reset();

  HKEY key = OpenCommonKey(kKeyStartupRead);
  std::vector<BYTE> stored;
  EXPECT_TRUE(key && RegReadBlob(key, "SyncWI", stored));
  if (key) RegCloseKey(key);
  EXPECT_EQ(stored.size(), 16u);
  FreeLibrary(ResourceLibrary());
  SetResourceLibrary(nullptr);
}
