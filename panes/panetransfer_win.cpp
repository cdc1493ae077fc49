#include "panes/panetransfer_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/textbuf.h"
#include "engine/engine_win.h"
#include "engine/transfer_win.h"
#include "panes/frame_win.h"
#include "panes/localframe_win.h"
#include "panes/panepaths.h"
#include "panes/panes_win.h"
#include "panes/serverframe_win.h"

void TransferSelection(const CFrame& from, bool upload) {
  CFrame* to = upload ? static_cast<CFrame*>(ServerFrame()) : static_cast<CFrame*>(LocalFrame());
  if (!to || !IsConnected() || !to->CurrentDirectory()[0]) return;
  std::vector<TransferItem> items;
  int entry = -1;
  for (int item = from.NextSelected(-1, entry); item >= 0; item = from.NextSelected(item, entry)) {
    const FileEntry& e = from.Entries()[static_cast<size_t>(entry)];
    // The source is the entry's full path on its own side; the engine joins
    // the name under the destination folder and refuses names that would
    // leave it.
    std::string source;
    if (!JoinPanePath(from.CurrentDirectory(), e.name, upload ? '\\' : '/', source)) continue;
    TransferItem t = {};
    if (!CopyTextWhole(t.source, source)) continue;
    t.size = e.size;
    t.fileTime = WindowsFileTime(e.modified);
    t.kind = static_cast<int>(e.attributes);
    items.push_back(t);
  }
  if (items.empty()) return;
  StartTransfer(to->CurrentDirectory(), upload ? 1 : 0, 0, std::move(items));
}
