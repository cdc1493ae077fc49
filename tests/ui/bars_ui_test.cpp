// The bar area of the real program: command toolbars from their stored
// layouts, the bar settings dialog, the filter box and the histories.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/barlayout.h"
#include "app/toolbarlayout.h"
#include "res/resource.h"
#include "support/program_fixture_win.h"

namespace {
constexpr DWORD kBuiltInMainButtons = 21;

class Bars : public ProgramTest {
 protected:
  HWND Rebar() { return GetDlgItem(program_.mainWindow, IDC_REBAR); }
  HWND Band(int id) { return GetDlgItem(Rebar(), id); }
  int ButtonCount(int toolbar) {
    HWND tb = Band(toolbar);
    return tb ? static_cast<int>(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0)) : -1;
  }

  HWND OpenSettings() {
    PostMessageA(program_.mainWindow, WM_COMMAND, CMD_CUSTOMIZE_BAR, 0);
    return FindProgramWindow(program_, "Customize Bars");
  }
  // Chooses row `row` of the toolbar list as a click would.
  void ChooseRow(HWND dialog, int row) {
    HWND list = GetDlgItem(dialog, IDC_BARS_LIST);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BARS_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }
  void Press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
  void CloseDialog(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  }
};

void PutToolbar(int number, const std::vector<uint16_t>& commands) {
  std::vector<StoredButton> buttons;
  for (uint16_t c : commands) buttons.push_back({c, u""});
  std::vector<uint8_t> bytes = EncodeToolbarLayout(buttons);
  char name[16];
  snprintf(name, sizeof name, "PIB%d", number);
  PutRawValue("Common", name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void PutVersion(DWORD version) { PutRawValue("Common", "ToolBarVersion", REG_DWORD, &version, sizeof version); }

void PutBars(const std::vector<uint32_t>& ids) {
  BarLayout layout;
  layout.flags = kBarTitlesShown;
  for (uint32_t id : ids) layout.bands.push_back({id, 200, kBandNewRow});
  std::vector<uint8_t> bytes = EncodeBarLayout(layout);
  PutRawValue("Common", "RebarInfoMain", REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool HasValue(const char* name) {
  DWORD type;
  std::vector<BYTE> data;
  return GetRawValue("Common", name, type, data);
}

std::vector<BYTE> Value(const char* name) {
  DWORD type;
  std::vector<BYTE> data;
  GetRawValue("Common", name, type, data);
  return data;
}
}  // namespace

TEST_F(Bars, StoredButtonsAreUsedOnlyWithTheirTagAndVersion) {
  PutVersion(4);
  PutToolbar(0, {CMD_CONNECT, 0, CMD_REFRESH});
  Start("");
  EXPECT_EQ(ButtonCount(512), 3);
  EXPECT_EQ(SendMessageA(Band(512), TB_COMMANDTOINDEX, CMD_REFRESH, 0), 2);
  CloseAndWait();

  PutVersion(3);  // another format version: the built-in buttons
  Start("");
  EXPECT_EQ(ButtonCount(512), static_cast<int>(kBuiltInMainButtons));
  CloseAndWait();

  PutVersion(4);
  std::vector<BYTE> bytes = Value("PIB0");
  bytes[1] ^= 0x20;  // another tag
  PutRawValue("Common", "PIB0", REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
  Start("");
  EXPECT_EQ(ButtonCount(512), static_cast<int>(kBuiltInMainButtons));
  CloseAndWait();
}

TEST_F(Bars, RemovingAToolbarRenumbersTheOnesAboveAndTheirLayouts) {
  PutVersion(4);
  PutToolbar(1, {CMD_CONNECT});
  PutToolbar(2, {CMD_REFRESH, CMD_UP});
  PutBars({512, 513, 514, IDC_QUICK_BAND});
  Start("");
  ASSERT_EQ(ButtonCount(513), 1);
  ASSERT_EQ(ButtonCount(514), 2);
  std::vector<BYTE> third = Value("PIB2");

  HWND dialog = OpenSettings();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_BARS_LIST, LB_GETCOUNT, 0, 0), 3);
  ChooseRow(dialog, 0);  // the first toolbar stays
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_BARS_DELETE)));
  SendMessageA(dialog, WM_COMMAND, IDC_BARS_DELETE, 0);
  EXPECT_NE(Band(512), nullptr);

  ChooseRow(dialog, 1);
  Press(dialog, IDC_BARS_DELETE);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_BARS_LIST, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(Band(514), nullptr);
  EXPECT_EQ(ButtonCount(513), 2);  // the old third toolbar, now second
  EXPECT_EQ(Value("PIB1"), third);
  EXPECT_FALSE(HasValue("PIB2"));
  CloseDialog(dialog);
  CloseAndWait();

  BarLayout stored;
  std::vector<BYTE> bytes = Value("RebarInfoMain");
  ASSERT_TRUE(DecodeBarLayout(bytes.data(), bytes.size(), stored));
  ASSERT_EQ(stored.bands.size(), 3u);
  EXPECT_EQ(stored.bands[1].id, 513u);
}

TEST_F(Bars, NewToolbarImagesAndResetFromTheSettingsDialog) {
  Start("");
  HWND dialog = OpenSettings();
  ASSERT_NE(dialog, nullptr);
  int largeHeight = HIWORD(SendMessageA(Band(512), TB_GETBUTTONSIZE, 0, 0));
  Press(dialog, IDC_BARS_LARGE);  // off: 16-pixel images, rebuilt at once
  EXPECT_EQ(Value("LargeToolbar"), (std::vector<BYTE>{0, 0, 0, 0}));
  EXPECT_LT(HIWORD(SendMessageA(Band(512), TB_GETBUTTONSIZE, 0, 0)), largeHeight);
  Press(dialog, IDC_BARS_COLOR16);
  EXPECT_EQ(Value("ColorToolbar"), (std::vector<BYTE>{0, 0, 0, 0}));
  EXPECT_EQ(ButtonCount(512), static_cast<int>(kBuiltInMainButtons));

  Press(dialog, IDC_BARS_NEW);  // closes the dialog and adds an empty toolbar
  ASSERT_TRUE(WaitUntil([&] { return Band(513) != nullptr; }, 5000));
  EXPECT_EQ(ButtonCount(513), 0);
  std::vector<BYTE> empty = Value("PIB1");
  EXPECT_EQ(empty.size(), 8u);

  dialog = OpenSettings();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_BARS_LIST, LB_GETCOUNT, 0, 0), 2);
  Press(dialog, IDC_BARS_RESET);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_BARS_LIST, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_BARS_LARGE), BST_CHECKED);
  EXPECT_FALSE(HasValue("PIB1"));
  EXPECT_FALSE(HasValue("RebarInfoMain"));
  EXPECT_EQ(Value("LargeToolbar"), (std::vector<BYTE>{1, 0, 0, 0}));
  EXPECT_EQ(Band(513), nullptr);
  EXPECT_EQ(HIWORD(SendMessageA(Band(512), TB_GETBUTTONSIZE, 0, 0)), largeHeight);
  CloseDialog(dialog);
  CloseAndWait();
}

TEST_F(Bars, CustomizeOpensThePlatformDialogForTheChosenToolbar) {
  Start("");
  HWND dialog = OpenSettings();
  ASSERT_NE(dialog, nullptr);
  Press(dialog, IDC_BARS_CUSTOMIZE);
  HWND customize = FindProgramWindow(program_, "Customize Toolbar");
  ASSERT_NE(customize, nullptr);
  EXPECT_FALSE(IsWindow(dialog));
  PostMessageA(customize, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(customize); }, 5000));
  CloseAndWait();
}

TEST_F(Bars, FilterEnteredIsKeptAndOnlySixtyFourAddressesAreStored) {
  for (int i = 0; i < 70; ++i) {
    char name[16], host[32];
    snprintf(name, sizeof name, "QuickUrl%02d", i);
    snprintf(host, sizeof host, "host%d.example", i);
    PutRawValue("Common", name, REG_SZ, host, static_cast<DWORD>(strlen(host) + 1));
  }
  Start("");
  HWND addresses = GetDlgItem(Band(IDC_QUICK_BAND), IDC_QUICK_ADDRESS);
  EXPECT_EQ(SendMessageA(addresses, CB_GETCOUNT, 0, 0), 64);
  HWND edit = reinterpret_cast<HWND>(SendMessageA(Band(IDC_FILTER_BAND), CBEM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("*.txt"));
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(SendMessageA(Band(IDC_FILTER_BAND), CB_GETCOUNT, 0, 0), 1);
  CloseAndWait();
  std::vector<BYTE> filter = Value("Filter00");
  EXPECT_EQ(std::string(filter.begin(), filter.end()), std::string("*.txt", 6));
  std::vector<BYTE> last = Value("QuickUrl63");
  EXPECT_EQ(std::string(last.begin(), last.end()), std::string("host63.example", 15));
}

TEST_F(Bars, StatusBarNarrowerThanItsFixedPartsKeepsPartZeroAtFourPixels) {
  Start("");
  HWND status = GetDlgItem(program_.mainWindow, IDC_STATUSBAR);
  ASSERT_NE(status, nullptr);
  SetWindowPos(program_.mainWindow, nullptr, 0, 0, 90, 300, SWP_NOZORDER | SWP_NOMOVE);
  // The part edges live in the program's memory: read them from there.
  int edges[5] = {};
  void* remote = VirtualAllocEx(program_.process.hProcess, nullptr, sizeof edges, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  EXPECT_TRUE(WaitUntil([&] {
    SendMessageA(status, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(program_.process.hProcess, remote, edges, sizeof edges, nullptr);
    return edges[0] == 4;
  }, 5000)) << edges[0];
  EXPECT_GT(edges[1], edges[0]);  // the fixed parts keep their widths beyond the window
  VirtualFreeEx(program_.process.hProcess, remote, 0, MEM_RELEASE);
  CloseAndWait();
}
