// CServerFrame: the current directory of the connected server. It never
// touches the network: every action is a job for the engine, and the main
// window's completion handler hands the finished job back here.
#ifndef VORTO_PANES_SERVERFRAME_WIN_H
#define VORTO_PANES_SERVERFRAME_WIN_H

#include "panes/frame_win.h"

// Refresh flags: a refresh of the server pane, with the raw listing text
// also put on the clipboard or saved to a file.
constexpr uint32_t kRefreshFromServer = 0x80000000;
constexpr uint32_t kRefreshToClipboard = 0x80000010;
constexpr uint32_t kRefreshSaveToFile = 0x80000020;

struct PropertiesState;

// A selected entry as it was when a modal dialog opened: the dialog's own
// copy, untouched by listings that arrive while it is open.
struct ChosenEntry {
  FileEntry entry;
  std::string path;  // full remote path
};

class CServerFrame : public CFrame {
 public:
  CServerFrame();
  ~CServerFrame() override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool QueryCommand(int id, bool& checked) override;
  void FillAddressDefaults() override {}
  void Refresh(uint32_t flags, EngineJob* job) override;
  void ChangeDirectory(const char* path) override;
  void DeleteSelection(bool permanent) override;
  void CreateItem(uint32_t attributes, const char* name) override;
  void OpenSelection() override;
  void PasteData(HANDLE data, int effect, UINT format) override;
  void DropFiles(UINT format, const char* list, int effect) override;
  bool AcceptsFormat(UINT format) override { return format == CF_HDROP; }
  bool GetJoinDirectory(char (&buffer)[260]) override;
  int CompareNames(const char* a, const char* b) override;

  // A finished job; true when the pane keeps it.
  bool OnJobDone(EngineJob* job, uint32_t flags);
  // A change started by synchronized browsing from the local pane.
  void ChangeDirectoryFromSync(const char* path);
  bool ClipboardPending() const { return clipboardPending_; }
  // Full remote path of a name in the current directory; false when it
  // does not fit.
  bool FullPath(const char* name, std::string& out) const;

  bool syncSuppress = false;
  std::vector<TransferItem> pendingClipboard;
  char selectAfterListing[260] = {};

 private:
  void ShowListing(EngineJob* job);
  void DropServerClipboard();
  std::vector<ChosenEntry> ChosenEntries() const;
  // Clipboard text parsed as a directory listing and shown as this one.
  void ShowPastedListing(HANDLE data);
  bool OnCommand(int id, int notifyCode);
  LRESULT OnEndLabelEdit(NMLVDISPINFOA* info);
  void ShowProperties();
  void CutOrCopy(bool cut);
  void CopyOrMoveTo(bool copy);
  // `sizes` (copies only): the size of each pair's file, for the progress.
  void QueueRenamePairs(std::vector<std::string>* pairs, bool copy, const std::vector<int64_t>& sizes = {});
  void QueueChmod(std::vector<std::string>* pairs, const std::string& renameFrom, const std::string& renameTo);
  bool StartServerJob(JobFunction function, EngineJob* job);

  EngineJob* changeJob_ = nullptr;  // the change of directory under way
  bool clipboardPending_ = false;
  friend void ApplyProperties(CServerFrame& pane, const PropertiesState& state);
};

#endif
