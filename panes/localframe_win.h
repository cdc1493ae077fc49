// CLocalFrame: a folder of the local file system. Entering a folder makes
// it the process's current directory too, but every name the pane acts on
// is joined to the folder it shows: other code of the process (a file
// dialog) may move the current directory behind the pane's back.
#ifndef VORTO_PANES_LOCALFRAME_WIN_H
#define VORTO_PANES_LOCALFRAME_WIN_H

#include "panes/frame_win.h"

// Refresh flag: take the process's current directory as the pane's folder
// (start-up, a profile's folder); without it the pane lists its own folder.
constexpr uint32_t kRefreshProcessFolder = 1;

class CLocalFrame : public CFrame {
 public:
  CLocalFrame();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool QueryCommand(int id, bool& checked) override;
  void FillAddressDefaults() override;
  void Refresh(uint32_t flags, EngineJob* job) override;
  void ChangeDirectory(const char* path) override;
  void DeleteSelection(bool permanent) override;
  void CreateItem(uint32_t attributes, const char* name) override;
  void OpenSelection() override;
  void PasteData(HANDLE data, int effect, UINT format) override;
  void DropFiles(UINT format, const char* list, int effect) override;
  bool AcceptsFormat(UINT format) override;
  bool GetJoinDirectory(char (&buffer)[260]) override;
  int CompareNames(const char* a, const char* b) override { return lstrcmpiA(a, b); }

  // A change started by synchronized browsing from the server pane: it
  // does not map back.
  void ChangeDirectoryFromSync(const char* path);

 private:
  bool ChangeTo(const char* path, bool mapToServer);
  // The folder shown (the process's current directory before any is).
  std::string Folder() const;
  bool JoinHere(const char* name, std::string& out) const;
  bool OnCommand(int id, int notifyCode);
  LRESULT OnEndLabelEdit(NMLVDISPINFOA* info);
  void GoToSpecialFolder(int csidl);
  void CutOrCopy(bool cut);

  // Fixed address items (Desktop, My Documents, drives): their folders.
  // An item's lParam is its index here plus one; shown folders carry 0.
  std::vector<std::string> fixedFolders_;
};

// The job thread of a local delete: the shell's delete of the full paths
// in job->names (captured when the job was queued); job->flags holds the
// shell's operation flags.
unsigned __stdcall LocalDeleteJob(void* job);

#endif
