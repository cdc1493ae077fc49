// The seed file and its location, against the real registry and files.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ssh/randomseed_win.h"
#include "support/registry_fixture_win.h"

using namespace vorto::ssh;

namespace {

std::string TempPath(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
  CloseHandle(f);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  uint8_t block[4096];
  DWORD got = 0;
  while (ReadFile(f, block, sizeof block, &got, nullptr) && got > 0) bytes.insert(bytes.end(), block, block + got);
  CloseHandle(f);
  return bytes;
}

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + i / 251);
  return b;
}

// Saves and restores the environment variables the location rule reads.
class SshRandomSeed : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    for (int i = 0; i < 2; ++i) {
      char value[MAX_PATH];
      DWORD n = GetEnvironmentVariableA(kVars[i], value, sizeof value);
      had_[i] = n > 0 && n < sizeof value;
      saved_[i] = had_[i] ? value : "";
    }
  }
  void TearDown() override {
    for (int i = 0; i < 2; ++i) SetEnvironmentVariableA(kVars[i], had_[i] ? saved_[i].c_str() : nullptr);
    for (const std::string& path : made_) DeleteFileA(path.c_str());
    RegistryTest::TearDown();
  }
  std::string Temp(const char* name) {
    made_.push_back(TempPath(name));
    DeleteFileA(made_.back().c_str());
    return made_.back();
  }
  static std::string WindowsDir() {
    char dir[MAX_PATH];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir, n);
  }

  static constexpr const char* kVars[2] = {"HOMEDRIVE", "HOMEPATH"};
  bool had_[2] = {};
  std::string saved_[2];
  std::vector<std::string> made_;
};

RandomPool QuietPool() {
  RandomPool pool;
  RandomPoolStart(pool, EntropySource{});
  return pool;
}

}  // namespace

TEST_F(SshRandomSeed, LocationFollowsSettingThenHomeThenWindowsDirectory) {
  std::string path;
  SetEnvironmentVariableA("HOMEDRIVE", "Q:");
  SetEnvironmentVariableA("HOMEPATH", "\\Users\\tester");
  ASSERT_TRUE(FindRandomSeedPath(path));
  EXPECT_EQ(path, "Q:\\Users\\tester\\PUTTY.RND");

  SetEnvironmentVariableA("HOMEDRIVE", nullptr);
  ASSERT_TRUE(FindRandomSeedPath(path));
  EXPECT_EQ(path, "\\Users\\tester\\PUTTY.RND");

  SetEnvironmentVariableA("HOMEDRIVE", "Q:");
  SetEnvironmentVariableA("HOMEPATH", nullptr);
  ASSERT_TRUE(FindRandomSeedPath(path));
  EXPECT_EQ(path, WindowsDir() + "\\PUTTY.RND");

  const char setting[] = "D:\\keys\\seed.bin";
  PutRawValue("", "RandSeedFile", REG_SZ, setting, sizeof setting);
  ASSERT_TRUE(FindRandomSeedPath(path));
  EXPECT_EQ(path, setting);
}

TEST_F(SshRandomSeed, UnusableSettingOrHomeFallsBackOrFails) {
  SetEnvironmentVariableA("HOMEDRIVE", "Q:");
  SetEnvironmentVariableA("HOMEPATH", "\\home");
  std::string path;
  DWORD number = 5;
  PutRawValue("", "RandSeedFile", REG_DWORD, &number, sizeof number);
  ASSERT_TRUE(FindRandomSeedPath(path));
  EXPECT_EQ(path, "Q:\\home\\PUTTY.RND");
  std::string too_long(600, 'x');
  PutRawValue("", "RandSeedFile", REG_SZ, too_long.c_str(), static_cast<DWORD>(too_long.size() + 1));
  ASSERT_TRUE(FindRandomSeedPath(path));
  EXPECT_EQ(path, "Q:\\home\\PUTTY.RND");
  PutRawValue("", "RandSeedFile", REG_SZ, "", 1);
  ASSERT_TRUE(FindRandomSeedPath(path));
  EXPECT_EQ(path, "Q:\\home\\PUTTY.RND");

  // A home that leaves no room for the file name gives no location, not a cut one.
  SetEnvironmentVariableA("HOMEPATH", ("\\" + std::string(250, 'h')).c_str());
  EXPECT_FALSE(FindRandomSeedPath(path));
}

TEST_F(SshRandomSeed, SeedFileIsReplacedWithSixHundredFreshBytes) {
  std::string path = Temp("vorto_seed_write.rnd");
  WriteFileBytes(path, Pattern(5000));
  RandomPool pool = QuietPool();
  ASSERT_TRUE(WriteRandomSeed(pool, path));
  std::vector<uint8_t> first = ReadFileBytes(path);
  ASSERT_EQ(first.size(), kRandomSeedSize);
  ASSERT_TRUE(WriteRandomSeed(pool, path));
  std::vector<uint8_t> second = ReadFileBytes(path);
  ASSERT_EQ(second.size(), kRandomSeedSize);
  EXPECT_NE(first, second);
  EXPECT_FALSE(WriteRandomSeed(pool, TempPath("no such folder\\seed.rnd")));
}

TEST_F(SshRandomSeed, SeedFileOfAnySizeFeedsAtMostItsStart) {
  // A missing file adds nothing.
  RandomPool pool = QuietPool(), expected = QuietPool();
  AddSeedFileNoise(pool, TempPath("vorto_no_such_seed.rnd"));
  EXPECT_EQ(std::memcmp(pool.pool, expected.pool, kRandomPoolSize), 0);
  EXPECT_EQ(pool.position, expected.position);

  // Sizes that are not whole blocks go in whole.
  std::string path = Temp("vorto_seed_read.rnd");
  std::vector<uint8_t> bytes = Pattern(2500);
  WriteFileBytes(path, bytes);
  AddSeedFileNoise(pool, path);
  RandomAddHeavyNoise(expected, bytes.data(), bytes.size());
  EXPECT_EQ(std::memcmp(pool.pool, expected.pool, kRandomPoolSize), 0);

  // A huge file is read only up to the limit.
  bytes = Pattern(kMaxSeedFileRead + 5000);
  WriteFileBytes(path, bytes);
  pool = QuietPool();
  expected = QuietPool();
  AddSeedFileNoise(pool, path);
  RandomAddHeavyNoise(expected, bytes.data(), kMaxSeedFileRead);
  EXPECT_EQ(std::memcmp(pool.pool, expected.pool, kRandomPoolSize), 0);
  EXPECT_EQ(pool.position, expected.position);
}

TEST_F(SshRandomSeed, StartingThePoolWritesTheSeedFileAtOnce) {
  std::string path = Temp("vorto_seed_start.rnd");
  PutRawValue("", "RandSeedFile", REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
  // The location is worked out once per process; this is its only user here.
  ASSERT_EQ(RandomSeedPath(), path);
  WriteFileBytes(path, Pattern(100));
  RandomStart();
  EXPECT_TRUE(RandomStarted());
  std::vector<uint8_t> written = ReadFileBytes(path);
  ASSERT_EQ(written.size(), kRandomSeedSize);

  RandomNoteTraffic(1234);
  std::vector<uint8_t> drawn(64);
  vorto::crypto::RandomSource source = ProcessRandomSource();
  for (auto& b : drawn) b = source.next_byte(source.ctx);
  EXPECT_NE(std::vector<uint8_t>(written.begin(), written.begin() + 64), drawn);

  RandomSaveSeed();
  std::vector<uint8_t> saved = ReadFileBytes(path);
  ASSERT_EQ(saved.size(), kRandomSeedSize);
  EXPECT_NE(saved, written);
}

TEST_F(SshRandomSeed, StartingThePoolMixesInTheSystemGenerator) {
  size_t before = SystemRandomBytesMixed();
  RandomPool pool;
  RandomPoolStart(pool, WindowsEntropySource(nullptr));
  EXPECT_EQ(SystemRandomBytesMixed() - before, kSystemRandomNoise);

  // With no other noise at all, two starts still differ; without the
  // generator they would be the same.
  EntropySource only_system;
  only_system.heavy_noise = [](void*, RandomPool& p) { EXPECT_TRUE(AddSystemRandomNoise(p)); };
  RandomPool a, b;
  RandomPoolStart(a, only_system);
  RandomPoolStart(b, only_system);
  EXPECT_NE(std::memcmp(a.pool, b.pool, kRandomPoolSize), 0);
  RandomPool quiet_a = QuietPool(), quiet_b = QuietPool();
  EXPECT_EQ(std::memcmp(quiet_a.pool, quiet_b.pool, kRandomPoolSize), 0);
}
