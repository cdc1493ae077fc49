// The panes in this process: listings arriving from the engine, hostile
// names, the stored column layout and sorting, the filter mask, the server
// clipboard, and the local pane's operations when the process's current
// directory moves, through the panes' real windows and list views.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/appstate_win.h"
#include "base/shellimages_win.h"
#include "engine/listparse.h"
#include "panes/listinfo.h"
#include "panes/localframe_win.h"
#include "panes/panes_win.h"
#include "panes/serverframe_win.h"
#include "res/resource.h"
#include "support/files_win.h"
#include "support/registry_fixture_win.h"

namespace {
void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

FileEntry Entry(const std::string& name, uint32_t attributes, int64_t size = 0) {
  FileEntry e;
  std::memcpy(e.name, name.data(), name.size() < 259 ? name.size() : 259);
  e.attributes = attributes;
  e.size = size;
  return e;
}

class ServerPane : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES |
                                                ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    LoadTestResourceLibrary();
    ASSERT_NE(ResourceLibrary(), nullptr);
    LoadShellImages();
    static bool registered = RegisterPaneClasses(GetModuleHandleA(nullptr));
    ASSERT_TRUE(registered);
    parent_ = CreateWindowExA(0, "STATIC", "panes", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                              nullptr);
    SetMainWindow(parent_);
  }

  void TearDown() override {
    if (pane_) DestroyWindow(pane_);
    if (parent_) DestroyWindow(parent_);
    Pump();
    SetMainWindow(nullptr);
    FreeLibrary(ResourceLibrary());
    SetResourceLibrary(nullptr);
    RegistryTest::TearDown();
  }

  void Create() {
    pane_ = CreatePaneWindow(parent_, true, 0, 780, 560);
    ASSERT_NE(pane_, nullptr);
    ASSERT_NE(ServerFrame(), nullptr);
    list_ = GetDlgItem(pane_, 258);
  }

  // Hands the pane a listing as the engine's completion does.
  void Deliver(std::vector<FileEntry> entries) {
    EngineJob job;
    job.items = std::make_unique<std::vector<FileEntry>>(std::move(entries));
    std::strcpy(job.directory, ServerFrame()->CurrentDirectory());
    ServerFrame()->OnJobDone(&job, kDoneTakeListing);
    job.items.reset();
  }

  std::vector<std::string> Items(int column = 0) {
    std::vector<std::string> names;
    const int count = ListView_GetItemCount(list_);
    for (int i = 0; i < count; ++i) {
      char text[300] = {};
      ListView_GetItemText(list_, i, column, text, sizeof text);
      names.push_back(text);
    }
    return names;
  }

  int HeaderCount() { return Header_GetItemCount(ListView_GetHeader(list_)); }

  void StoreDetails(const ListInfo& info) {
    std::vector<uint8_t> bytes = EncodeListInfo(info);
    PutRawValue("Common", "ServerListInfo", REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
    DWORD details = 1;
    PutRawValue("Common", "ServerIconStyle", REG_DWORD, &details, sizeof details);
  }

  HWND parent_ = nullptr, pane_ = nullptr, list_ = nullptr;
};
}  // namespace

TEST_F(ServerPane, HostileNamesAreDroppedOrShownAsTheyAre) {
  Create();
  SendMessageA(pane_, WM_COMMAND, CMD_VIEW_DETAILS, 0);
  // Through the listing parser, as the engine delivers them.
  const std::string longName(259, 'L');
  std::string listing =
      "-rw-r--r--   1 u g 10 Jan  1  2020 plain.txt\r\n"
      "-rw-r--r--   1 u g 10 Jan  1  2020 bell\x07name\r\n"
      "-rw-r--r--   1 u g 10 Jan  1  2020 ..\\..\\evil.txt\r\n"
      "-rw-r--r--   1 u g 10 Jan  1  2020 a/b\r\n"
      "-rw-r--r--   1 u g 10 Jan  1  2020 \x81\x8d\x8f\x90\r\n"
      "-rw-r--r--   1 u g 10 Jan  1  2020 " + longName + "\r\n"
      "-rw-r--r--   1 u g 10 Jan  1  2020 " + std::string(300, 'T') + "\r\n"
      "drwxr-xr-x   2 u g 0 Jan  1  2020 ..\r\n";
  std::vector<FileEntry> parsed;
  ListParseOptions options;
  ParseListing(listing, options, parsed);
  Deliver(parsed);
  std::vector<std::string> shown = Items();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], "\x81\x8d\x8f\x90");
  EXPECT_EQ(shown[1], longName);
  EXPECT_EQ(shown[2], "plain.txt");
  // Whatever arrives, the pane joins names only into its own directory
  // and refuses what would not fit.
  std::string full;
  EXPECT_FALSE(ServerFrame()->FullPath(longName.c_str(), full));
  // Texts of every column and the icons are asked for without harm.
  for (int column = 0; column < 6; ++column) EXPECT_EQ(Items(column).size(), 3u);
  UpdateWindow(pane_);
}

TEST_F(ServerPane, DescendingByNameListsFilesFirst) {
  Create();
  Deliver({Entry("b.txt", kAttrNormal, 5), Entry("Docs", kAttrDirectory), Entry("a.txt", kAttrNormal, 0),
           Entry("apps", kAttrDirectory)});
  EXPECT_EQ(Items(), (std::vector<std::string>{"apps", "Docs", "a.txt", "b.txt"}));
  SendMessageA(pane_, WM_COMMAND, CMD_SORT_FIRST + 0, 0);
  EXPECT_EQ(Items(), (std::vector<std::string>{"b.txt", "a.txt", "Docs", "apps"}));
  SendMessageA(pane_, WM_COMMAND, CMD_SORT_FIRST + 1, 0);  // size, ascending
  EXPECT_EQ(Items(), (std::vector<std::string>{"Docs", "apps", "a.txt", "b.txt"}));
  bool checked = false;
  EXPECT_TRUE(ServerFrame()->QueryCommand(CMD_SORT_FIRST + 1, checked));
  EXPECT_TRUE(checked);
}

TEST_F(ServerPane, HiddenColumnComesBackBetweenItsNeighbours) {
  ListInfo info = DefaultListInfo();
  info.widths[kColumnTime] = kHiddenColumn;
  info.sortKey = ~kColumnSize;
  StoreDetails(info);
  Create();
  ASSERT_EQ(HeaderCount(), 5);
  SendMessageA(pane_, WM_COMMAND, CMD_COLUMN_FIRST + kColumnTime, 0);
  ASSERT_EQ(HeaderCount(), 6);
  EXPECT_EQ(ListView_GetColumnWidth(list_, 3), 120);
  HDITEMA item = {};
  char title[64] = {};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = title;
  item.cchTextMax = sizeof title;
  Header_GetItem(ListView_GetHeader(list_), 3, &item);
  EXPECT_STREQ(title, "Modified");
  // The size column carries the descending arrow from the stored key.
  Header_GetItem(ListView_GetHeader(list_), 1, &item);
  EXPECT_TRUE(item.fmt & HDF_SORTDOWN);

  DestroyWindow(pane_);
  pane_ = nullptr;
  DWORD type;
  std::vector<BYTE> stored;
  ASSERT_TRUE(GetRawValue("Common", "ServerListInfo", type, stored));
  ListInfo saved;
  ASSERT_TRUE(DecodeListInfo(stored.data(), stored.size(), saved));
  EXPECT_EQ(saved.widths[kColumnTime], 120);
  EXPECT_EQ(saved.sortKey, ~kColumnSize);
}

TEST_F(ServerPane, BrokenStoredLayoutFallsBackToTheDefaults) {
  const BYTE shortValue[27] = {};
  PutRawValue("Common", "ServerListInfo", REG_BINARY, shortValue, sizeof shortValue);
  PutRawValue("Common", "ServerIconStyle", REG_SZ, "1", 2);
  PutRawValue("Common", "RebarInfoServer", REG_BINARY, shortValue, sizeof shortValue);
  Create();
  EXPECT_EQ(ServerFrame()->ViewStyle(), kViewLargeIcons);
  SendMessageA(pane_, WM_COMMAND, CMD_VIEW_DETAILS, 0);
  EXPECT_EQ(HeaderCount(), 6);
  EXPECT_EQ(ListView_GetColumnWidth(list_, 0), 160);
  EXPECT_NE(FindWindowExA(pane_, nullptr, "ReBarWindow32", nullptr), nullptr);
}

TEST_F(ServerPane, HiddenEntriesStayOutWhenTheOptionIsOn) {
  Create();
  Options().hideHiddenServer = true;
  Deliver({Entry(".profile", kAttrNormal), Entry("visible", kAttrNormal), Entry(".cache", kAttrDirectory)});
  Options().hideHiddenServer = false;
  EXPECT_EQ(Items(), (std::vector<std::string>{"visible"}));
  Deliver({Entry(".profile", kAttrNormal), Entry("visible", kAttrNormal)});
  EXPECT_EQ(Items(), (std::vector<std::string>{".profile", "visible"}));
}

TEST_F(ServerPane, SelectionServicesDescribeAndInvert) {
  Create();
  Deliver({Entry("one", kAttrNormal), Entry("two", kAttrNormal), Entry("dir", kAttrDirectory)});
  EXPECT_EQ(ServerFrame()->DescribeSelection(), "");
  ListView_SetItemState(list_, 1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(ServerFrame()->DescribeSelection(), "'one'");
  EXPECT_TRUE(ServerFrame()->AnySelectedFile());
  SendMessageA(pane_, WM_COMMAND, CMD_INVERT_SELECTION, 0);
  EXPECT_EQ(ServerFrame()->SelectedCount(), 2);
  EXPECT_EQ(ServerFrame()->DescribeSelection(), "2 items");
  SendMessageA(pane_, WM_COMMAND, CMD_SELECT_ALL, 0);
  EXPECT_EQ(ServerFrame()->SelectedCount(), 3);
  // Rename needs exactly one item.
  bool checked = false;
  EXPECT_FALSE(ServerFrame()->QueryCommand(CMD_RENAME, checked));
}

TEST_F(ServerPane, PastedListingTextIsShownAsTheDirectory) {
  Create();
  const char text[] =
      "drwxr-xr-x   2 ftp ftp     4096 Mar  1 12:00 pub\r\n"
      "-rw-r--r--   1 ftp ftp  5000000000 Mar  1  2021 big.iso\r\n"
      "-rw-r--r--   1 ftp ftp        0 Mar  1  2021 ctl\x01name\r\n";
  ASSERT_TRUE(OpenClipboard(pane_));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  std::memcpy(GlobalLock(block), text, sizeof text);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  bool checked = false;
  EXPECT_TRUE(ServerFrame()->QueryCommand(CMD_PASTE, checked));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
  EXPECT_FALSE(IsClipboardFormatAvailable(ServerClipboardFormat()));
  SendMessageA(pane_, WM_COMMAND, CMD_PASTE, 0);
  EXPECT_EQ(Items(), (std::vector<std::string>{"pub", "big.iso"}));
  EXPECT_EQ(ServerFrame()->Entries()[1].size, 5000000000ll);
}

TEST_F(ServerPane, FilterMaskHidesServerFilesButNeverFolders) {
  Create();
  std::strcpy(Options().paneFilter, "*.txt;*.md");
  Deliver({Entry("a.txt", kAttrNormal), Entry("b.bin", kAttrNormal), Entry("docs", kAttrDirectory),
           Entry("C.TXT", kAttrNormal), Entry("read.me.md", kAttrNormal), Entry("link.bin", kAttrSymlink)});
  Options().paneFilter[0] = '\0';
  EXPECT_EQ(Items(), (std::vector<std::string>{"docs", "link.bin", "a.txt", "C.TXT", "read.me.md"}));
  // Lifting the mask shows everything at the next listing.
  Deliver({Entry("a.txt", kAttrNormal), Entry("b.bin", kAttrNormal)});
  EXPECT_EQ(Items(), (std::vector<std::string>{"a.txt", "b.bin"}));
}

TEST_F(ServerPane, ServerClipboardIsDroppedWhenTheConnectionCloses) {
  Create();
  Deliver({Entry("notes.txt", kAttrNormal), Entry("other.txt", kAttrNormal)});
  ListView_SetItemState(list_, 0, LVIS_SELECTED, LVIS_SELECTED);
  SendMessageA(pane_, WM_COMMAND, CMD_COPY, 0);
  ASSERT_EQ(ServerFrame()->pendingClipboard.size(), 1u);
  ASSERT_TRUE(IsClipboardFormatAvailable(ServerClipboardFormat()));
  // What the main window does when a connection ends.
  RefreshServerPane();
  EXPECT_TRUE(ServerFrame()->pendingClipboard.empty());
  EXPECT_FALSE(ServerFrame()->ClipboardPending());
  EXPECT_FALSE(IsClipboardFormatAvailable(ServerClipboardFormat()));
}

namespace {
void WriteFile(const std::string& path, const std::string& text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (f != INVALID_HANDLE_VALUE) {
    ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
  }
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Two folders with the same names in them: the pane shows `shown_`, and
// the process's current directory is moved to `moved_` behind its back, as
// a file dialog or any other code of the process may do.
class LocalPane : public ServerPane {
 protected:
  void SetUp() override {
    ServerPane::SetUp();
    GetCurrentDirectoryA(sizeof saved_, saved_);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    root_ = std::string(temp) + "vorto-localpane";
    RemoveTree(root_);
    shown_ = root_ + "\\shown";
    moved_ = root_ + "\\moved";
    for (const std::string& folder : {root_, shown_, moved_, root_ + "\\outside"}) {
      CreateDirectoryA(folder.c_str(), nullptr);
      if (folder == root_ || folder == root_ + "\\outside") continue;
      WriteFile(folder + "\\twin.txt", folder);
      CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    }
    WriteFile(root_ + "\\outside\\pasted.txt", "pasted");
    ASSERT_TRUE(SetCurrentDirectoryA(shown_.c_str()));
    pane_ = CreatePaneWindow(parent_, false, 0, 780, 560);
    ASSERT_NE(pane_, nullptr);
    list_ = GetDlgItem(pane_, 258);
    ASSERT_EQ(std::string(LocalFrame()->CurrentDirectory()), shown_);
    ASSERT_TRUE(SetCurrentDirectoryA(moved_.c_str()));
  }

  void TearDown() override {
    ServerPane::TearDown();
    SetCurrentDirectoryA(saved_);
    RemoveTree(root_);
  }

  bool Select(const std::string& name) {
    std::vector<std::string> names = Items();
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) {
        ListView_SetItemState(list_, static_cast<int>(i), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return true;
      }
    return false;
  }

  // Ends the label edit that a rename or a new item started with `text`.
  void TypeLabel(const std::string& text) {
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
  }

  char saved_[MAX_PATH] = {};
  std::string root_, shown_, moved_;
};
}  // namespace

TEST_F(LocalPane, OperationsActOnTheFolderShownWhenTheCurrentDirectoryMoved) {
  // Rename.
  ASSERT_TRUE(Select("twin.txt"));
  SendMessageA(pane_, WM_COMMAND, CMD_RENAME, 0);
  TypeLabel("renamed.txt");
  EXPECT_TRUE(Exists(shown_ + "\\renamed.txt"));
  EXPECT_TRUE(Exists(moved_ + "\\twin.txt"));
  EXPECT_FALSE(Exists(moved_ + "\\renamed.txt"));
  // New folder.
  SendMessageA(pane_, WM_COMMAND, CMD_NEW_FOLDER, 0);
  TypeLabel("made");
  EXPECT_TRUE(Exists(shown_ + "\\made"));
  EXPECT_FALSE(Exists(moved_ + "\\made"));
  // A refresh lists the folder shown, not the one the process moved to.
  SendMessageA(pane_, WM_COMMAND, CMD_REFRESH, 0);
  EXPECT_EQ(std::string(LocalFrame()->CurrentDirectory()), shown_);
  EXPECT_EQ(Items(), (std::vector<std::string>{"made", "sub", "renamed.txt"}));

  // Copy puts the shown file's full path on the clipboard.
  SetCurrentDirectoryA(moved_.c_str());
  ASSERT_TRUE(Select("renamed.txt"));
  SendMessageA(pane_, WM_COMMAND, CMD_COPY, 0);
  ASSERT_TRUE(OpenClipboard(parent_));
  std::string copied = ReadDropFileList(GetClipboardData(CF_HDROP));
  CloseClipboard();
  EXPECT_EQ(copied, shown_ + "\\renamed.txt" + std::string(2, '\0'));

  // Paste lands in the folder shown.
  SetCurrentDirectoryA(moved_.c_str());
  const std::string pasted = root_ + "\\outside\\pasted.txt" + std::string(2, '\0');
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + pasted.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), pasted.data(), pasted.size());
  GlobalUnlock(block);
  ASSERT_TRUE(OpenClipboard(parent_));
  EmptyClipboard();
  SetClipboardData(CF_HDROP, block);
  CloseClipboard();
  SendMessageA(pane_, WM_COMMAND, CMD_PASTE, 0);
  EXPECT_TRUE(Exists(shown_ + "\\pasted.txt"));
  EXPECT_FALSE(Exists(moved_ + "\\pasted.txt"));

  // Open enters the shown folder's "sub", and up comes back from there.
  SetCurrentDirectoryA(moved_.c_str());
  ASSERT_TRUE(Select("sub"));
  SendMessageA(pane_, WM_COMMAND, CMD_OPEN, 0);
  EXPECT_EQ(std::string(LocalFrame()->CurrentDirectory()), shown_ + "\\sub");
  SetCurrentDirectoryA(moved_.c_str());
  SendMessageA(pane_, WM_COMMAND, CMD_UP, 0);
  EXPECT_EQ(std::string(LocalFrame()->CurrentDirectory()), shown_);
}
