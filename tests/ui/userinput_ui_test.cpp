// The real program driven through the X server with real key presses and
// mouse clicks (xdotool): what a user meets while typing, in the main
// toolbar, in the rebar and when switching profiles.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/barlayout.h"
#include "base/libreg_win.h"
#include "profiles/profilestore_win.h"
#include "res/resource.h"
#include "support/files_win.h"
#include "support/pane_driver_win.h"
#include "support/peers_win.h"
#include "support/program_fixture_win.h"
#include "support/registry_fixture_win.h"

namespace {
constexpr int kAddressBand = 264;

void MakeFile(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "data";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

class UserInput : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    localRoot_ = std::string(temp) + "vorto-input-ui";
    RemoveTree(localRoot_);
    CreateDirectoryA(localRoot_.c_str(), nullptr);
    CreateDirectoryA((localRoot_ + "\\sub").c_str(), nullptr);
    MakeFile(localRoot_ + "\\keep.txt");
    HKEY key = OpenCommonKey(0);
    RegWriteString(key, "LocalDir", localRoot_.c_str());
    RegCloseKey(key);
  }
  void TearDown() override {
    // The pointer leaves the screen's windows: tests that drive windows by
    // messages must not meet real mouse moves.
    Xdotool("mousemove 1279 1023");
    ProgramTest::TearDown();
    RemoveTree(localRoot_);
  }

  HWND Local() { return GetDlgItem(program_.mainWindow, IDC_LOCAL_PANE); }
  HWND Server() { return GetDlgItem(program_.mainWindow, IDC_SERVER_PANE); }
  HWND Rebar() { return GetDlgItem(program_.mainWindow, IDC_REBAR); }
  HWND MainToolbar() { return GetDlgItem(Rebar(), 512); }
  bool LocalShows(const std::string& name) {
    return WaitUntil([&] { return PaneHasItem(program_, Local(), name); }, 10000);
  }

  // Clicks the label of a pane's item, as a user selects it.
  bool ClickItem(HWND pane, const std::string& name) {
    std::vector<std::string> items = PaneItems(program_, pane);
    auto at = std::find(items.begin(), items.end(), name);
    if (at == items.end()) return false;
    RECT rc;
    if (!RemoteRect(program_, PaneList(pane), LVM_GETITEMRECT, static_cast<WPARAM>(at - items.begin()), rc,
                    LVIR_LABEL))
      return false;
    POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(PaneList(pane), &centre);
    return ClickAt(centre.x, centre.y);
  }

  HWND LabelEdit(HWND pane) {
    HWND edit = nullptr;
    WaitUntil([&] { return (edit = reinterpret_cast<HWND>(SendMessageA(PaneList(pane), LVM_GETEDITCONTROL, 0, 0))); },
              5000);
    return edit;
  }

  LRESULT ButtonState(int command) { return SendMessageA(MainToolbar(), TB_GETSTATE, command, 0); }
  bool ButtonEnabled(int command) {
    LRESULT state = ButtonState(command);
    return state != -1 && (state & TBSTATE_ENABLED);
  }

  std::string localRoot_;
};
}  // namespace

TEST_F(UserInput, KeysTypedIntoTextFieldsEditTheTextAndLeaveTheFilesAlone) {
  Start("");
  ASSERT_TRUE(LocalShows("keep.txt"));
  ASSERT_TRUE(ClickItem(Local(), "keep.txt"));
  ASSERT_TRUE(PressKeys("F2"));
  HWND edit = LabelEdit(Local());
  ASSERT_NE(edit, nullptr) << "F2 did not start the rename";
  // Backspace and Delete edit the name; Control+C, X, V and A are the
  // editor's own. None of them moves the pane or touches the file.
  ASSERT_TRUE(PressKeys("End BackSpace Home Delete shift+End ctrl+c"));
  ASSERT_TRUE(PressKeys("End ctrl+v"));  // after the clipboard took the copy
  EXPECT_EQ(WindowText(edit), "eep.txeep.tx");
  EXPECT_TRUE(PaneHasItem(program_, Local(), "keep.txt")) << "the pane left its folder";
  EXPECT_TRUE(Exists(localRoot_ + "\\keep.txt"));
  ASSERT_TRUE(PressKeys("Return"));
  EXPECT_TRUE(WaitUntil([&] { return Exists(localRoot_ + "\\eep.txeep.tx"); }, 5000));
  EXPECT_FALSE(Exists(localRoot_ + "\\keep.txt"));
  EXPECT_TRUE(WaitUntil([&] { return PaneHasItem(program_, Local(), "eep.txeep.tx"); }, 5000));

  // The same in the pane's address box: Backspace removes a character
  // instead of going up a folder.
  HWND address = GetDlgItem(FindWindowExA(Local(), nullptr, "ReBarWindow32", nullptr), kAddressBand);
  HWND addressEdit = reinterpret_cast<HWND>(SendMessageA(address, CBEM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(addressEdit, nullptr);
  POINT at = WindowCentre(addressEdit);
  ASSERT_TRUE(ClickAt(at.x, at.y));
  std::string before = WindowText(addressEdit);
  const LRESULT selected = SendMessageA(PaneList(Local()), LVM_GETSELECTEDCOUNT, 0, 0);
  ASSERT_TRUE(PressKeys("End BackSpace Delete ctrl+a"));
  EXPECT_EQ(WindowText(addressEdit), before.substr(0, before.size() - 1));
  EXPECT_TRUE(PaneHasItem(program_, Local(), "sub")) << "the pane left its folder";
  EXPECT_EQ(SendMessageA(PaneList(Local()), LVM_GETSELECTEDCOUNT, 0, 0), selected) << "Control+A selected files";
  ASSERT_TRUE(PressKeys("Escape"));
  CloseAndWait();
}

TEST_F(UserInput, MainToolbarFollowsTheSelectionInThePane) {
  Start("");
  ASSERT_TRUE(LocalShows("keep.txt"));
  ASSERT_NE(MainToolbar(), nullptr);
  EXPECT_FALSE(ButtonEnabled(CMD_DELETE));
  EXPECT_FALSE(ButtonEnabled(CMD_RENAME));
  ASSERT_TRUE(ClickItem(Local(), "keep.txt"));
  EXPECT_TRUE(WaitUntil([&] { return ButtonEnabled(CMD_DELETE) && ButtonEnabled(CMD_RENAME); }, 3000))
      << "Delete " << ButtonState(CMD_DELETE) << ", Rename " << ButtonState(CMD_RENAME);
  // Control+click takes the item out of the selection again.
  ASSERT_TRUE(Xdotool("keydown ctrl"));
  ASSERT_TRUE(ClickItem(Local(), "keep.txt"));
  ASSERT_TRUE(Xdotool("keyup ctrl"));
  EXPECT_TRUE(WaitUntil([&] { return !ButtonEnabled(CMD_DELETE) && !ButtonEnabled(CMD_RENAME); }, 3000));
  CloseAndWait();
}

TEST_F(UserInput, QuickConnectBarShowsItsControlsAndWidensForTheLogin) {
  Start("");
  HWND bar = GetDlgItem(Rebar(), IDC_QUICK_BAND);
  ASSERT_NE(bar, nullptr);
  RECT shown, rebar;
  GetWindowRect(bar, &shown);
  GetWindowRect(Rebar(), &rebar);
  IntersectRect(&shown, &shown, &rebar);
  for (int id : {IDC_QUICK_ADDRESS, IDC_QUICK_SFTP, IDC_QUICK_PASSIVE, IDC_QUICK_CONNECT, IDC_QUICK_MORE}) {
    RECT rc;
    GetWindowRect(GetDlgItem(bar, id), &rc);
    EXPECT_TRUE(Contains(shown, rc)) << "control " << id << " is cut off";
  }
  POINT more = WindowCentre(GetDlgItem(bar, IDC_QUICK_MORE));
  ASSERT_TRUE(ClickAt(more.x, more.y));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(bar, IDC_QUICK_MORE)) == "<"; }, 3000));
  TakeScreenshot("quickconnect.png");
  GetWindowRect(bar, &shown);
  GetWindowRect(Rebar(), &rebar);
  IntersectRect(&shown, &shown, &rebar);
  for (int id : {IDC_QUICK_USER, IDC_QUICK_PASSWORD, IDC_QUICK_CONNECT}) {
    RECT rc;
    GetWindowRect(GetDlgItem(bar, id), &rc);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(bar, id)));
    EXPECT_TRUE(Contains(shown, rc)) << "control " << id << " is cut off";
  }
  CloseAndWait();
}

TEST_F(UserInput, ChevronOffersTheButtonsTheBandHides) {
  // The main toolbar squeezed to a sliver beside the tools bar.
  BarLayout layout;
  layout.flags = 1;
  layout.bands = {{512, 40, 0}, {IDC_TOOLS_BAND, 56, 0}, {IDC_QUICK_BAND, 330, kBandNewRow}, {IDC_FILTER_BAND, 150, 0}};
  std::vector<uint8_t> bytes = EncodeBarLayout(layout);
  PutRawValue("Common", "RebarInfoMain", REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
  Start("");
  HWND toolbar = MainToolbar();
  ASSERT_NE(toolbar, nullptr);
  ASSERT_TRUE(ButtonState(CMD_MODE_AUTO) & TBSTATE_CHECKED);
  // The first button the band does not show in full.
  RECT client;
  GetClientRect(toolbar, &client);
  const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  int firstHidden = -1;
  for (int i = 0; i < count && firstHidden < 0; ++i) {
    RECT rc;
    if (RemoteRect(program_, toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i), rc) && rc.right > client.right)
      firstHidden = i;
  }
  // The built-in buttons: Connect, Disconnect, Site manager, |, Automatic, ASCII.
  ASSERT_GE(firstHidden, 0) << "the band shows every button";
  ASSERT_LE(firstHidden, 3) << "the band shows the ASCII button";
  const int asciiItem = 4 - firstHidden;  // the separator is not offered

  RECT band;
  int index = static_cast<int>(SendMessageA(Rebar(), RB_IDTOINDEX, 512, 0));
  ASSERT_TRUE(RemoteRect(program_, Rebar(), RB_GETRECT, static_cast<WPARAM>(index), band));
  POINT chevron = {band.right - 7, (band.top + band.bottom) / 2};
  ClientToScreen(Rebar(), &chevron);
  ASSERT_TRUE(ClickAt(chevron.x, chevron.y));
  HWND popup = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    popup = FindWindowA("#32768", nullptr);
    return popup && IsWindowVisible(popup);
  }, 3000)) << "no popup of hidden buttons";
  TakeScreenshot("chevron.png");
  std::string keys;
  for (int i = 0; i <= asciiItem; ++i) keys += "Down ";
  ASSERT_TRUE(PressKeys(keys + "Return"));
  EXPECT_TRUE(WaitUntil([&] { return (ButtonState(CMD_MODE_ASCII) & TBSTATE_CHECKED) != 0; }, 3000))
      << "choosing ASCII from the popup did not run it";
  CloseAndWait();
}

TEST_F(UserInput, EndOfSessionSavesWhatACloseSaves) {
  Start("");
  HWND filter = GetDlgItem(Rebar(), IDC_FILTER_BAND);
  HWND edit = reinterpret_cast<HWND>(SendMessageA(filter, CBEM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  POINT at = WindowCentre(edit);
  ASSERT_TRUE(ClickAt(at.x, at.y));
  ASSERT_TRUE(PressKeys("ctrl+a k e e p asterisk Return"));
  EXPECT_TRUE(WaitUntil([&] { return SendMessageA(filter, CB_GETCOUNT, 0, 0) == 1; }, 3000));
  EXPECT_TRUE(SendMessageA(program_.mainWindow, WM_QUERYENDSESSION, 0, 0));
  SendMessageA(program_.mainWindow, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(CommonString("Filter00"), "keep*");
  EXPECT_EQ(CommonString("LocalDir"), localRoot_);
  DWORD type;
  std::vector<BYTE> stored;
  EXPECT_TRUE(GetRawValue("Common", "WindowInfo", type, stored));
  EXPECT_TRUE(GetRawValue("Common", "LocalIconStyle", type, stored));
}

namespace {
// Profile `name` reaching the FTP peer, opening `folder` on the server.
void SavePeerProfile(const char* name, int port, const char* folder, const std::string& localFolder) {
  ServerProfile p;
  SetDefaultProfile(p);
  std::strcpy(p.host, "127.0.0.1");
  p.anonymous = 1;
  p.passive = 1;
  p.ftpPort = port;
  std::strcpy(p.remoteFolder, folder);
  std::strcpy(p.localFolder, localFolder.c_str());
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile(name, p, lists));
}

int ProfileIndex(const char* name) {
  std::vector<std::string> names = EnumerateProfiles();
  auto at = std::find(names.begin(), names.end(), name);
  return at == names.end() ? -1 : static_cast<int>(at - names.begin());
}
}  // namespace

TEST_F(UserInput, SwitchingProfilesWhileConnectedAsksThenDisconnectsSwitchesAndConnects) {
  const int port = PeerPort("ftp");
  ASSERT_NE(port, 0) << "FTP peer not running";
  std::string serverRoot = PeerFolder("ftp") + "\\root\\switchui";
  RemoveTree(serverRoot);
  CreateDirectoryA(serverRoot.c_str(), nullptr);
  MakeFile(serverRoot + "\\marker.txt");
  SavePeerProfile("first", port, "/", localRoot_);
  SavePeerProfile("second", port, "/switchui", localRoot_);
  Start("/c first");
  EXPECT_TRUE(WaitUntil([&] { return WindowText(Server()) == "127.0.0.1 /"; }, 15000)) << WindowText(Server());

  // A timed action shows its elapsed time in the status bar's last part.
  HWND status = GetDlgItem(program_.mainWindow, IDC_STATUSBAR);
  ASSERT_TRUE(SelectPaneItem(program_, Local(), "keep.txt"));
  PostMessageA(program_.mainWindow, WM_COMMAND, CMD_UPLOAD, 0);
  EXPECT_TRUE(WaitUntil([&] { return PaneHasItem(program_, Server(), "keep.txt"); }, 15000));
  std::string elapsed;
  EXPECT_TRUE(WaitUntil([&] {
    elapsed = StatusBarPart(program_, status, 4);
    return elapsed.find_first_not_of(' ') != std::string::npos;
  }, 10000)) << "no elapsed time after the upload";
  DeleteFileA((PeerFolder("ftp") + "\\root\\keep.txt").c_str());

  const int second = ProfileIndex("second");
  ASSERT_GE(second, 0);
  // No keeps everything as it is.
  PostMessageA(program_.mainWindow, WM_COMMAND, CMD_PROFILE_CONNECT_FIRST + second, 0);
  ASSERT_TRUE(AnswerDialog(program_, "Vorto", IDNO));
  Sleep(1000);
  EXPECT_EQ(WindowText(program_.mainWindow), "first - Vorto");
  EXPECT_EQ(WindowText(Server()), "127.0.0.1 /");
  // Yes disconnects, makes the other profile current and connects it.
  PostMessageA(program_.mainWindow, WM_COMMAND, CMD_PROFILE_CONNECT_FIRST + second, 0);
  ASSERT_TRUE(AnswerDialog(program_, "Vorto", IDYES));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(program_.mainWindow) == "second - Vorto"; }, 10000))
      << WindowText(program_.mainWindow);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(Server()) == "127.0.0.1 /switchui"; }, 15000))
      << WindowText(Server());
  EXPECT_TRUE(WaitUntil([&] { return PaneHasItem(program_, Server(), "marker.txt"); }, 15000));

  // Quick connect while connected goes the same way, to the port the
  // address names; the address stays in the history.
  HWND bar = GetDlgItem(Rebar(), IDC_QUICK_BAND);
  ASSERT_NE(bar, nullptr);
  const std::string hostPort = "127.0.0.1:" + std::to_string(port);
  SendMessageA(GetDlgItem(bar, IDC_QUICK_ADDRESS), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(("ftp://tester:secret@" + hostPort).c_str()));
  PostMessageA(bar, WM_COMMAND, IDC_QUICK_CONNECT, 0);
  ASSERT_TRUE(AnswerDialog(program_, "Vorto", IDYES));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(program_.mainWindow) == "Quick Connect - Vorto"; }, 10000))
      << WindowText(program_.mainWindow);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(Server()) == "127.0.0.1 /"; }, 15000)) << WindowText(Server());
  CloseAndWait();
  EXPECT_EQ(CommonString("QuickUrl00"), hostPort);
  RemoveTree(serverRoot);
}

TEST_F(UserInput, ClosingWhileATransferRunsEndsTheProgramCleanly) {
  const int port = PeerPort("ftpslow");
  ASSERT_NE(port, 0) << "slow FTP peer not running";
  const std::string big = PeerFolder("ftpslow") + "\\root\\big.bin";
  {
    std::ofstream out(big, std::ios::binary);
    out << std::string(2 * 1024 * 1024, 'x');  // half a minute on the slow link
  }
  SavePeerProfile("slow", port, "/", localRoot_);
  Start("/c slow");
  ASSERT_TRUE(WaitUntil([&] { return PaneHasItem(program_, Server(), "big.bin"); }, 15000));
  ASSERT_TRUE(SelectPaneItem(program_, Server(), "big.bin"));
  PostMessageA(Server(), WM_COMMAND, CMD_DOWNLOAD, 0);
  Sleep(2000);
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_FALSE(GetFileAttributesExA((localRoot_ + "\\big.bin").c_str(), GetFileExInfoStandard, &data) &&
               data.nFileSizeLow == 2 * 1024 * 1024) << "the download ended before the close";
  PostMessageA(program_.mainWindow, WM_CLOSE, 0, 0);
  // The window goes at once; the process ends by itself, without a crash,
  // within the close deadline and the short wait for the workers.
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(program_.mainWindow); }, 2000));
  ASSERT_EQ(WaitForSingleObject(program_.process.hProcess, 10000), WAIT_OBJECT_0) << "the program did not end";
  DWORD code = 1;
  GetExitCodeProcess(program_.process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  DeleteFileA(big.c_str());
}
