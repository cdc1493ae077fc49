// CLocalFrame: a folder of the local file system. Its directory is the
// process's current directory, so names are relative to it.
#ifndef VORTO_PANES_LOCALFRAME_WIN_H
#define VORTO_PANES_LOCALFRAME_WIN_H

#include "panes/frame_win.h"

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
