// Server profiles against Wine's registry and CryptoAPI.
#include <windows.h>

#include <cstring>
#include <string>

#include "base/libreg_win.h"
#include "profiles/current_win.h"
#include "profiles/password_win.h"
#include "profiles/profilestore_win.h"
#include "support/registry_fixture_win.h"

namespace {
class ProfileStore : public RegistryTest {};

ServerProfile Sample() {
  ServerProfile p;
  SetDefaultProfile(p);
  std::strcpy(p.host, "ftp.example.org");
  std::strcpy(p.user, "alice");
  std::strcpy(p.password, "s3cret pass");
  p.connections = 4;
  p.passive = 1;
  return p;
}

std::vector<BYTE> StoredCust(const char* name) {
  DWORD type = 0;
  std::vector<BYTE> data;
  GetRawValue((std::string("Config\\") + name).c_str(), "Cust", type, data);
  return data;
}

void PutCust(const char* name, const void* data, DWORD size, DWORD type = REG_BINARY) {
  PutRawValue((std::string("Config\\") + name).c_str(), "Cust", type, data, size);
}

int32_t StoredInt(const std::vector<BYTE>& cust, size_t offset) {
  int32_t v;
  std::memcpy(&v, cust.data() + offset, 4);
  return v;
}

// Runs this test program again with one test selected and `env` set, and
// returns its exit code.
DWORD RunSelf(const char* filter, const char* envName, const char* envValue) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=" + filter;
  SetEnvironmentVariableA(envName, envValue);
  STARTUPINFOA si = {sizeof si};
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
  SetEnvironmentVariableA(envName, nullptr);
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 998;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}
}  // namespace

TEST_F(ProfileStore, SaveAndLoadRoundTripWithProtectedPassword) {
  ServerProfile p = Sample();
  ProfileLists lists;
  SetDefaultLists(lists);
  lists.notDeleted = {"keep*", "cgi-bin"};
  lists.asciiTypes.clear();
  ASSERT_TRUE(SaveProfile("site1", p, lists));

  std::vector<BYTE> cust = StoredCust("site1");
  ASSERT_EQ(cust.size(), 1784u);
  int32_t protectedLength = StoredInt(cust, 1440);
  EXPECT_GT(protectedLength, 4 + 11);
  EXPECT_LE(protectedLength, 260);
  // The plain password is nowhere in the stored record.
  std::string raw(cust.begin(), cust.end());
  EXPECT_EQ(raw.find("s3cret"), std::string::npos);
  HKEY key = OpenProfileKey("site1", kKeyStartupRead);
  EXPECT_EQ(RegReadInt(key, "RegVersion", 0), 1u);
  RegCloseKey(key);

  ServerProfile back;
  ProfileLists backLists;
  ASSERT_TRUE(LoadProfile("site1", back, backLists));
  EXPECT_STREQ(back.password, "s3cret pass");
  EXPECT_EQ(back.protectedPasswordLength, 0);
  EXPECT_STREQ(back.host, "ftp.example.org");
  EXPECT_EQ(back.connections, 4);
  EXPECT_EQ(backLists.notDeleted, lists.notDeleted);
  EXPECT_TRUE(backLists.asciiTypes.empty());  // stored empty stays empty
  EXPECT_EQ(backLists.notTransferred.size(), 5u);
  EXPECT_TRUE(ProfileExists("site1"));
  EXPECT_EQ(EnumerateProfiles(), std::vector<std::string>{"site1"});
}

TEST_F(ProfileStore, EmptyPasswordIsStoredAsTheProtectedTerminator) {
  ServerProfile p = Sample();
  p.password[0] = '\0';
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile("empty", p, lists));
  std::vector<BYTE> cust = StoredCust("empty");
  int32_t length = StoredInt(cust, 1440);
  ASSERT_GT(length, 4);
  int32_t blob = StoredInt(cust, 600);
  EXPECT_EQ(length, 4 + blob + 1);  // one byte of cipher text: the zero
  ServerProfile back;
  ASSERT_TRUE(LoadProfile("empty", back, lists));
  EXPECT_STREQ(back.password, "");
}

TEST_F(ProfileStore, PasswordSurvivesIntoASecondProcess) {
  ServerProfile p = Sample();
  std::strcpy(p.password, "other-process");
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile("shared", p, lists));
  EXPECT_EQ(RunSelf("ProfileStoreChild.ReadsPassword", "VORTO_EXPECT_PASSWORD", "other-process"), 0u);
}

TEST(ProfileStoreChild, ReadsPassword) {
  char expected[128];
  if (!GetEnvironmentVariableA("VORTO_EXPECT_PASSWORD", expected, sizeof expected)) GTEST_SKIP();
  ServerProfile p;
  ProfileLists lists;
  // No fixture here: the parent's profile must stay in the registry.
  ASSERT_TRUE(LoadProfile("shared", p, lists));
  EXPECT_STREQ(p.password, expected);
  exit(::testing::Test::HasFailure() ? 1 : 0);
}

TEST_F(ProfileStore, OverlongPasswordIsNeverCutIntoGarbage) {
  ServerProfile p = Sample();
  std::memset(p.password, 'p', 259);
  p.password[259] = '\0';
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile("long", p, lists));
  std::vector<BYTE> cust = StoredCust("long");
  EXPECT_EQ(StoredInt(cust, 1440), 0);  // stored without a password
  ServerProfile back;
  ASSERT_TRUE(LoadProfile("long", back, lists));
  EXPECT_STREQ(back.password, "");

  // The longest password that still fits is kept whole.
  std::vector<BYTE> form;
  std::string fits(150, 'q');
  ASSERT_TRUE(ProtectPassword(fits.c_str(), static_cast<DWORD>(fits.size() + 1), 260, form));
  EXPECT_LE(form.size(), 260u);
}

TEST_F(ProfileStore, BrokenStoredPasswordsReadAsNone) {
  ServerProfile p = Sample();
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile("broken", p, lists));
  std::vector<BYTE> good = StoredCust("broken");

  auto loadWith = [&](auto mutate) {
    std::vector<BYTE> cust = good;
    mutate(cust);
    PutCust("broken", cust.data(), static_cast<DWORD>(cust.size()));
    ServerProfile back;
    ProfileLists l;
    EXPECT_TRUE(LoadProfile("broken", back, l));
    return std::string(back.password);
  };
  // Stored length beyond the 260-byte field.
  EXPECT_EQ(loadWith([](std::vector<BYTE>& c) { c[1440] = 0x10; c[1441] = 0x27; }), "");
  // Blob length that does not fit inside the stored length.
  EXPECT_EQ(loadWith([](std::vector<BYTE>& c) { c[600] = 0xff; c[601] = 0xff; }), "");
  // Cipher text changed: decrypts to something that is not one terminated text.
  EXPECT_EQ(loadWith([](std::vector<BYTE>& c) {
              int32_t len = StoredInt(c, 1440);
              c[600 + len - 1] ^= 0x5a;
            }),
            "");
  // Negative length.
  EXPECT_EQ(loadWith([](std::vector<BYTE>& c) { c[1443] = 0x80; }), "");
  // Untouched still works.
  EXPECT_EQ(loadWith([](std::vector<BYTE>&) {}), "s3cret pass");
}

TEST_F(ProfileStore, EarlyAndWrongSizedRecords) {
  ServerProfile p = Sample();
  p.sftpPort = 2222;
  p.sftpTextMode = 0;
  std::strcpy(p.privateKeyFile, "C:\\keys\\id.ppk");
  ProfileLists lists;
  SetDefaultLists(lists);
  p.password[0] = '\0';
  std::vector<BYTE> full(reinterpret_cast<BYTE*>(&p), reinterpret_cast<BYTE*>(&p) + sizeof p);

  PutCust("early", full.data(), 1524);
  ServerProfile back;
  EXPECT_TRUE(LoadProfile("early", back, lists));
  EXPECT_EQ(back.sftpPort, 22);
  EXPECT_EQ(back.sftpTextMode, 1);
  EXPECT_STREQ(back.privateKeyFile, "");
  EXPECT_STREQ(back.host, "ftp.example.org");

  PutCust("odd", full.data(), 1700);
  EXPECT_FALSE(LoadProfile("odd", back, lists));
  EXPECT_STREQ(back.host, "");
  EXPECT_EQ(back.ftpPort, 21);

  PutCust("typed", full.data(), 1784, REG_SZ);
  EXPECT_FALSE(LoadProfile("typed", back, lists));
  EXPECT_STREQ(back.host, "");
}

TEST_F(ProfileStore, StoredGarbageIsMadeSafe) {
  ServerProfile p;
  std::memset(&p, 'A', sizeof p);  // no terminators anywhere
  p.connections = 99;
  p.protectedPasswordLength = 0;
  PutCust("garbage", &p, sizeof p);
  ServerProfile back;
  ProfileLists lists;
  ASSERT_TRUE(LoadProfile("garbage", back, lists));
  EXPECT_EQ(back.connections, 30);
  EXPECT_EQ(strnlen(back.host, sizeof back.host), 259u);
  EXPECT_EQ(strnlen(back.user, sizeof back.user), 79u);
  EXPECT_EQ(strnlen(back.privateKeyFile, sizeof back.privateKeyFile), 259u);
  EXPECT_STREQ(back.password, "");
}

TEST_F(ProfileStore, ListsOfTheWrongTypeOrEmptyFallBackToDefaults) {
  ServerProfile p = Sample();
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile("lists", p, lists));
  PutRawValue("Config\\lists", "AsciiTypeArray", REG_SZ, "txt", 4);
  PutRawValue("Config\\lists", "NotTransArray", REG_MULTI_SZ, "", 0);
  PutRawValue("Config\\lists", "NotDeleteArray", REG_MULTI_SZ, "only\0", 6);
  HKEY key = OpenProfileKey("lists", 0);
  RegDeleteValueA(key, "PermissionTypeArray");
  RegCloseKey(key);
  ProfileLists back;
  ServerProfile record;
  ASSERT_TRUE(LoadProfile("lists", record, back));
  EXPECT_EQ(back.asciiTypes, DefaultAsciiTypes());
  EXPECT_EQ(back.notTransferred, DefaultNotTransferred());
  EXPECT_EQ(back.notDeleted, std::vector<std::string>{"only"});
  EXPECT_EQ(back.permissionTypes, DefaultPermissionTypes());
}

TEST_F(ProfileStore, NamesWithBackslashNeverMakeNestedKeys) {
  ServerProfile p = Sample();
  ProfileLists lists;
  SetDefaultLists(lists);
  EXPECT_FALSE(SaveProfile("outer\\inner", p, lists));
  EXPECT_FALSE(AppKeyExists("Config\\outer"));
  EXPECT_EQ(OpenProfileKey("outer\\inner", 0), nullptr);
  EXPECT_FALSE(AppKeyExists("Config\\outer"));
  EXPECT_FALSE(ProfileExists("outer\\inner"));
}

TEST_F(ProfileStore, CopyAndMoveProfiles) {
  ServerProfile p = Sample();
  ProfileLists lists;
  SetDefaultLists(lists);
  ASSERT_TRUE(SaveProfile("src", p, lists));
  ASSERT_TRUE(CopyProfile(nullptr, "src", "copy", kCopyDuplicate));
  ASSERT_TRUE(CopyProfile(nullptr, "copy", "moved", kCopyMove));
  EXPECT_TRUE(ProfileExists("src"));
  EXPECT_FALSE(ProfileExists("copy"));
  ServerProfile back;
  ASSERT_TRUE(LoadProfile("moved", back, lists));
  EXPECT_STREQ(back.password, "s3cret pass");
  ASSERT_TRUE(CopyProfile(nullptr, "", "fresh", kCopyDuplicate));
  ASSERT_TRUE(LoadProfile("fresh", back, lists));
  EXPECT_STREQ(back.host, "");
  EXPECT_TRUE(DeleteProfile(nullptr, "fresh"));
  EXPECT_FALSE(ProfileExists("fresh"));
}

TEST(ServerTimes, ZoneZeroIsThisMachinesLocalTime) {
  const uint64_t t = 133000000000000000ULL;
  FILETIME local = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}, utc;
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  uint64_t expected = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  EXPECT_EQ(ServerTimeToUtc(t, 0), expected);
  EXPECT_EQ(ServerTimeToUtc(t, 1), t);
  EXPECT_EQ(ServerTimeToUtc(t, 14), t);
  EXPECT_EQ(ServerTimeToUtc(t, 23), t - 9 * 36000000000ULL);
}
