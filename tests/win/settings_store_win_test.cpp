// The settings store against Wine's real registry.
#include <windows.h>

#include <cstring>

#include "app/appstate_win.h"
#include "base/binlist.h"
#include "app/keymap_win.h"
#include "base/libreg_win.h"
#include "base/tools_win.h"
#include "profiles/profilestore_win.h"
#include "res/resource.h"
#include "support/registry_fixture_win.h"
#include "support/files_win.h"

namespace {
class SettingsStore : public RegistryTest {};

void PutToolsBlob(const std::vector<uint8_t>& blob) {
  PutRawValue("Common", "Tools", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
}

StoredTool Tool(const std::u16string& title, const std::u16string& icon) {
  StoredTool t;
  t.title = title;
  t.command = u"notepad.exe";
  t.iconFile = icon;
  return t;
}
}  // namespace

TEST_F(SettingsStore, FirstRunReadsDefaultsAndCreatesNothing) {
  HKEY common = OpenCommonKey(kKeyStartupRead);
  EXPECT_EQ(common, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegReadInt(common, "AutoShowProgress", 1), 1u);
  char text[16];
  RegReadString(common, "LocalDir", text, sizeof text, "dflt");
  EXPECT_STREQ(text, "dflt");
  EXPECT_TRUE(LoadToolList().empty());
  ServerProfile p;
  ProfileLists lists;
  EXPECT_FALSE(LoadProfile("site1", p, lists));
  EXPECT_TRUE(EnumerateProfiles().empty());
  EXPECT_EQ(OpenProfileKey("", 0), nullptr);
  EXPECT_FALSE(AppKeyExists(""));

  HKEY created = OpenCommonKey(0);
  ASSERT_NE(created, nullptr);
  RegCloseKey(created);
  EXPECT_TRUE(AppKeyExists("Common"));
}

TEST_F(SettingsStore, IntegersIgnoreTypeButNotSize) {
  HKEY key = OpenCommonKey(0);
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(RegWriteInt(key, "A", 7));
  EXPECT_EQ(RegReadInt(key, "A", 1), 7u);
  const BYTE two[2] = {5, 1};
  PutRawValue("Common", "Short", REG_BINARY, two, 2);
  EXPECT_EQ(RegReadInt(key, "Short", 1), 0x105u);
  const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  PutRawValue("Common", "Long", REG_QWORD, eight, 8);
  EXPECT_EQ(RegReadInt(key, "Long", 42), 42u);
  PutRawValue("Common", "Text", REG_SZ, "123456789", 10);
  EXPECT_EQ(RegReadInt(key, "Text", 42), 42u);
  EXPECT_EQ(RegReadInt(key, "Missing", 9), 9u);
  EXPECT_EQ(RegReadInt(nullptr, "A", 3), 3u);
  RegCloseKey(key);
}

TEST_F(SettingsStore, StringsAreAlwaysTerminatedWithinTheirBuffer) {
  HKEY key = OpenCommonKey(0);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(RegWriteString(key, "S", "hello"));
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  RegReadString(key, "S", buf, sizeof buf, "d");
  EXPECT_STREQ(buf, "hello");

  RegWriteString(key, "TooLong", "0123456789");
  RegReadString(key, "TooLong", buf, sizeof buf, "fallback-text-longer-than-buffer");
  EXPECT_EQ(std::strlen(buf), 7u);  // the default, cut to the buffer
  EXPECT_EQ(std::strncmp(buf, "fallbac", 7), 0);

  // A REG_SZ stored without its zero that fills the buffer exactly did not fit.
  PutRawValue("Common", "NoZero8", REG_SZ, "abcdefgh", 8);
  RegReadString(key, "NoZero8", buf, sizeof buf, "d");
  EXPECT_STREQ(buf, "d");
  PutRawValue("Common", "NoZero3", REG_SZ, "abc", 3);
  RegReadString(key, "NoZero3", buf, sizeof buf, "d");
  EXPECT_STREQ(buf, "abc");

  PutRawValue("Common", "Bin", REG_BINARY, "abcd", 4);
  RegReadString(key, "Bin", buf, sizeof buf, "d");
  EXPECT_STREQ(buf, "d");

  std::string huge(20000, 'z');
  ASSERT_TRUE(RegWriteString(key, "Huge", huge.c_str()));
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_TRUE(GetRawValue("Common", "Huge", type, data));
  EXPECT_EQ(data.size(), 16301u);
  RegCloseKey(key);
}

TEST_F(SettingsStore, BinaryValuesRoundTripAndMissingOnesReadAsNull) {
  HKEY key = OpenCommonKey(0);
  const BYTE data[5] = {1, 2, 3, 4, 5};
  ASSERT_TRUE(RegWriteBinary(key, "B", data, 5));
  BYTE* out = reinterpret_cast<BYTE*>(1);
  DWORD size = 0;
  ASSERT_TRUE(RegReadBinary(key, "B", &out, &size));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::memcmp(out, data, 5), 0);
  free(out);
  EXPECT_FALSE(RegReadBinary(key, "Missing", &out, &size));
  EXPECT_EQ(out, nullptr);
  RegCloseKey(key);
}

TEST_F(SettingsStore, NumberedListsLeaveNoStaleTail) {
  HKEY key = OpenCommonKey(0);
  WriteNumberedList(key, "Filter%02d", {"*.txt", "*.c", "a", "b", "c"});
  WriteNumberedList(key, "Filter%02d", {"*.h", "*.cpp"});
  EXPECT_EQ(ReadNumberedList(key, "Filter%02d", 260), (std::vector<std::string>{"*.h", "*.cpp"}));
  DWORD type;
  std::vector<BYTE> data;
  EXPECT_FALSE(GetRawValue("Common", "Filter02", type, data));

  std::vector<std::string> many;
  for (int i = 0; i < 70; ++i) many.push_back("q" + std::to_string(i));
  WriteNumberedList(key, "QuickUrl%02d", many);
  std::vector<std::string> back = ReadNumberedList(key, "QuickUrl%02d", 260);
  ASSERT_EQ(back.size(), 64u);
  EXPECT_EQ(back[63], "q63");
  RegCloseKey(key);
}

TEST_F(SettingsStore, ToolListNumbersIconSlotsAndRejectsForeignTags) {
  std::vector<StoredTool> stored = {Tool(u"One", u"a.ico"), Tool(u"Two", u""), Tool(u"Three", u"c.exe")};
  stored[0].title = std::u16string(120, u'T');  // longer than the 80-byte title field
  PutToolsBlob(EncodeToolList(stored));
  std::vector<ExternalTool> tools = LoadToolList();
  ASSERT_EQ(tools.size(), 3u);
  EXPECT_EQ(std::strlen(tools[0].title), 79u);
  EXPECT_EQ(tools[0].iconSlot, 0);
  EXPECT_EQ(tools[1].iconSlot, -1);
  EXPECT_EQ(tools[2].iconSlot, 1);

  std::vector<uint8_t> foreign = EncodeToolList(stored);
  foreign[1] = 0x07;
  PutToolsBlob(foreign);
  EXPECT_TRUE(LoadToolList().empty());

  // Through the program's own writer and reader.
  tools.pop_back();
  ASSERT_TRUE(SaveToolList(tools));
  std::vector<ExternalTool> again = LoadToolList();
  ASSERT_EQ(again.size(), 2u);
  EXPECT_STREQ(again[1].title, "Two");
  EXPECT_STREQ(again[1].command, "notepad.exe");
}

class Keymap : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    LoadTestResourceLibrary();
    ASSERT_NE(ResourceLibrary(), nullptr);
  }
  void TearDown() override {
    FreeLibrary(ResourceLibrary());
    SetResourceLibrary(nullptr);
    RegistryTest::TearDown();
  }
};

TEST_F(Keymap, StoredAcceleratorsOfAWrongSizeFallBackToTheBuiltInTable) {
  std::vector<ACCEL> builtIn = LoadShortcuts({});
  ASSERT_GT(builtIn.size(), 10u);

  std::vector<BYTE> odd(601, 0);
  PutRawValue("Common", "Accel", REG_BINARY, odd.data(), 601);
  EXPECT_EQ(LoadShortcuts({}).size(), builtIn.size());

  const BYTE two[12] = {FVIRTKEY | FCONTROL, 0, 'R', 0, 0x28, 0x10, FVIRTKEY, 0, VK_F5, 0, 0x28, 0x10};
  PutRawValue("Common", "Accel", REG_BINARY, two, 12);
  std::vector<ACCEL> list = LoadShortcuts({});
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].key, VK_F5);
  EXPECT_EQ(list[1].cmd, CMD_REFRESH);
  EXPECT_EQ(ShortcutText(list, CMD_REFRESH), KeyText(list[0]) + ", " + KeyText(list[1]));
}

TEST_F(Keymap, ToolShortcutsFollowTitlesAndSurviveASaveRoundTrip) {
  ExternalTool a = {}, b = {}, c = {};
  std::strcpy(a.title, "Editor");
  std::strcpy(b.title, "EDITOR");
  std::strcpy(c.title, "Viewer");
  std::vector<ExternalTool> tools = {a, b, c};
  std::vector<ACCEL> list = {{FVIRTKEY, VK_F5, CMD_REFRESH}, {FVIRTKEY | FCONTROL, 'E', CMD_TOOL_FIRST + 0}};
  SaveShortcuts(list, tools);

  std::vector<ACCEL> loaded = LoadShortcuts(tools);
  ASSERT_EQ(loaded.size(), 3u);  // both tools titled "editor" receive the shortcut
  EXPECT_EQ(loaded[1].cmd, CMD_TOOL_FIRST + 0);
  EXPECT_EQ(loaded[2].cmd, CMD_TOOL_FIRST + 1);

  // A tool renamed since loses its shortcut.
  std::strcpy(tools[0].title, "Renamed");
  std::strcpy(tools[1].title, "Other");
  EXPECT_EQ(LoadShortcuts(tools).size(), 1u);
}
