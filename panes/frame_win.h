// CFrame: what the local and the server pane share. The pane window holds
// a rebar (toolbar 262 and address box 264) above a list view (258) of
// directory entries; the virtual operations below (16 slots, in this
// order) are where the two panes differ.
#ifndef VORTO_PANES_FRAME_WIN_H
#define VORTO_PANES_FRAME_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine_win.h"
#include "panes/listinfo.h"
#include "panes/navhistory.h"

class CDropSource;  // drag and drop with the shell
class CDropTarget;

constexpr int kPaneListId = 258;
constexpr int kPaneToolbarId = 262;
constexpr int kPaneAddressId = 264;
constexpr int kPaneGap = 4;

// View styles as stored in "LocalIconStyle" / "ServerIconStyle".
constexpr int kViewLargeIcons = 0;
constexpr int kViewDetails = 1;
constexpr int kViewList = 3;

struct AddressEntry {
  std::string text;
  int image;
};

class CFrame {
 public:
  explicit CFrame(bool remote);
  virtual ~CFrame();
  CFrame(const CFrame&) = delete;
  CFrame& operator=(const CFrame&) = delete;

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual bool QueryCommand(int id, bool& checked);
  virtual void FillAddressDefaults() = 0;
  virtual void Refresh(uint32_t flags, EngineJob* job) = 0;
  virtual void ChangeDirectory(const char* path) = 0;
  virtual void DeleteSelection(bool permanent) = 0;
  virtual void CreateItem(uint32_t attributes, const char* name) = 0;
  virtual void OpenSelection() = 0;
  virtual void PasteData(HANDLE data, int effect, UINT format) = 0;
  virtual HGLOBAL RenderDropFiles(UINT format, bool cut);
  virtual void DropFiles(UINT format, const char* list, int effect) = 0;
  virtual bool AcceptsFormat(UINT format) = 0;
  virtual bool GetJoinDirectory(char (&buffer)[260]) = 0;
  virtual size_t MeasureDropFiles(UINT format);
  virtual void WriteDropFiles(char* buffer, size_t size, UINT format, bool cut);
  virtual int CompareNames(const char* a, const char* b) = 0;

  // Services for the main window and the other pane.
  int SelectedCount() const;
  // Next selected list position after `after` (-1 to start), its entry
  // index in `entry`; -1 when there is none.
  int NextSelected(int after, int& entry) const;
  bool AnySelectedFile() const;
  std::string DescribeSelection() const;
  bool AddressHasFocus() const;
  void FocusList();
  void FocusAddress(bool dropDown);
  // Escape in the address box: back to the list, or close its drop-down.
  void CancelAddress();
  void UpdateToolbar();
  const char* CurrentDirectory() const { return current; }
  const std::vector<FileEntry>& Entries() const { return entries; }
  int ViewStyle() const { return viewStyle; }
  void Activate();
  // Type text of an entry (cached), for column 2, sorting and tips.
  const std::string& TypeText(size_t entry);
  void SaveBarLayout();
  // Builds the pane's bar again: after the toolbar images or the band
  // title and lock settings changed.
  // Without `keepLayout` the bar starts from the built-in layout.
  void RebuildBar(bool keepLayout = true);

  HWND window = nullptr;
  HWND list = nullptr;
  HWND rebar = nullptr;
  HWND toolbar = nullptr;
  HWND address = nullptr;
  HWND focusChild = nullptr;
  char current[260] = {};
  NavHistory history;
  std::vector<AddressEntry> addressEntries;
  std::vector<FileEntry> entries;
  int sortKey = 0;
  bool newItemPending = false;
  bool remote;
  CDropSource* dropSource = nullptr;
  CDropTarget* dropTarget = nullptr;
  int itemMenuId;
  const char* rebarValue;
  const char* listValue;
  const char* viewValue;
  std::vector<int> visibleColumns;
  int viewStyle = kViewLargeIcons;
  HGLOBAL clipboardData = nullptr;
  int clipboardEffect = 0;
  DWORD clipboardSequence = 0;
  bool labelEditing = false;
  bool columnOffered[kColumnCount] = {};

 protected:
  // Called by the panes.
  void ClearList();
  // Replaces the entries and inserts one item per entry, then sorts.
  void ShowEntries(std::vector<FileEntry>&& fresh);
  int AppendItem(const FileEntry& entry);
  void SortList();
  // A listing showed `directory`: history, current directory, address box.
  void ShowDirectory(const char* directory);
  void PutAddressTop(const char* text);
  bool NameExists(const char* name, int exceptEntry) const;
  int EntryOfItem(int item) const;
  void SelectItem(int item);
  void RedrawItem(int item);
  void GoBack();
  void GoForward();
  void SetAddressEnabled(bool enabled);
 private:
  bool OnCreate();
  void OnDestroy();
  void CreateBar();
  void Layout();
  void BuildColumns();
  void SaveListInfo();
  void SetHeaderArrows();
  void ToggleColumn(int id);
  void ChangeView(int style);
  void SortBy(int column);
  LRESULT OnNotify(NMHDR* header);
  void OnGetDispInfo(NMLVDISPINFOA* info);
  void OnGetInfoTip(NMLVGETINFOTIPA* tip);
  void OnContextMenu(LPARAM lParam);
  void ShowColumnDialog();
  bool OnCommand(int id);
  void PaintBackground(HDC dc);
  void ClearCutMarks();
  friend INT_PTR CALLBACK ColumnDialogProc(HWND, UINT, WPARAM, LPARAM);
  friend int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM context);

  // Collation keys of the names while a sort by name runs: one key per
  // entry instead of a locale comparison per pair.
  std::vector<std::string> nameKeys_;
  std::vector<std::string> typeTexts_;
  std::vector<uint8_t> typeKnown_;
};

// Text of an entry's cell in column `column` (size, type, time...).
std::string CellText(CFrame& frame, size_t entry, int column);

#endif
