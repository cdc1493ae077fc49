// The host-key cache against the real registry.
#include <windows.h>

#include <cstring>
#include <string>

#include "ssh/hostkeystore_win.h"
#include "support/registry_fixture_win.h"

using namespace vorto::ssh;

namespace {

constexpr char kCache[] = "SshHostKeys";
const std::string kKey = "0x23,0xc4f1a5b2e6d70981";
const std::string kOtherKey = "0x23,0xc4f1a5b2e6d70983";

class SshHostKeyStore : public RegistryTest {
 protected:
  void PutText(const char* name, const std::string& bytes, DWORD type = REG_SZ) {
    PutRawValue(kCache, name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  }
  std::string Stored(const char* name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!GetRawValue(kCache, name, type, data) || type != REG_SZ) return "<none>";
    return std::string(data.begin(), data.end());
  }
};

}  // namespace

TEST_F(SshHostKeyStore, StoredKeyIsFoundUnderItsHostPortAndType) {
  EXPECT_EQ(CheckHostKey("Files.Example.COM", 2222, "rsa2", kKey), kHostKeyNotCached);
  EXPECT_FALSE(AppKeyExists(kCache)) << "a check never creates the cache";

  ASSERT_TRUE(StoreHostKey("Files.Example.COM", 2222, "rsa2", kKey));
  EXPECT_EQ(Stored("rsa2@2222:Files.Example.COM"), kKey + '\0');
  EXPECT_EQ(CheckHostKey("Files.Example.COM", 2222, "rsa2", kKey), kHostKeyMatches);
  EXPECT_EQ(CheckHostKey("Files.Example.COM", 22, "rsa2", kKey), kHostKeyNotCached);
  EXPECT_EQ(CheckHostKey("Files.Example.COM", 2222, "dss", kKey), kHostKeyNotCached);
  EXPECT_EQ(CheckHostKey("other.example.com", 2222, "rsa2", kKey), kHostKeyNotCached);

  ASSERT_TRUE(StoreHostKey(".lan", 22, "dss", kKey));
  EXPECT_EQ(Stored("dss@22:%2Elan"), kKey + '\0');
  EXPECT_EQ(CheckHostKey(".lan", 22, "dss", kKey), kHostKeyMatches);
}

TEST_F(SshHostKeyStore, AnyDifferenceIsAChangedKey) {
  ASSERT_TRUE(StoreHostKey("host", 22, "rsa2", kKey));
  EXPECT_EQ(CheckHostKey("host", 22, "rsa2", kOtherKey), kHostKeyChanged);
  // Stored text longer or shorter than the key, or the key followed by junk.
  EXPECT_EQ(CheckHostKey("host", 22, "rsa2", kKey.substr(0, kKey.size() - 1)), kHostKeyChanged);
  EXPECT_EQ(CheckHostKey("host", 22, "rsa2", kKey + "1"), kHostKeyChanged);
  PutText("rsa2@22:host", kKey + std::string("\0junk", 5));
  EXPECT_EQ(CheckHostKey("host", 22, "rsa2", kKey), kHostKeyChanged);
  // A new answer replaces the old key.
  ASSERT_TRUE(StoreHostKey("host", 22, "rsa2", kOtherKey));
  EXPECT_EQ(CheckHostKey("host", 22, "rsa2", kOtherKey), kHostKeyMatches);
}

TEST_F(SshHostKeyStore, HostileValuesNeverPassForTheKey) {
  // Without a terminator the text is still the key.
  PutText("rsa2@22:a", kKey);
  EXPECT_EQ(CheckHostKey("a", 22, "rsa2", kKey), kHostKeyMatches);
  // Other types are unreadable entries: not cached, and storing mends them.
  PutText("rsa2@22:b", kKey + '\0', REG_BINARY);
  EXPECT_EQ(CheckHostKey("b", 22, "rsa2", kKey), kHostKeyNotCached);
  DWORD number = 7;
  PutRawValue(kCache, "rsa2@22:c", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(CheckHostKey("c", 22, "rsa2", kKey), kHostKeyNotCached);
  ASSERT_TRUE(StoreHostKey("c", 22, "rsa2", kKey));
  EXPECT_EQ(CheckHostKey("c", 22, "rsa2", kKey), kHostKeyMatches);
  // A huge value that starts with the key is a changed key.
  PutText("rsa2@22:d", kKey + std::string(1 << 20, 'f') + '\0');
  EXPECT_EQ(CheckHostKey("d", 22, "rsa2", kKey), kHostKeyChanged);
  PutText("rsa2@22:e", std::string());
  EXPECT_EQ(CheckHostKey("e", 22, "rsa2", kKey), kHostKeyChanged);
  // A name the cache does not hold.
  EXPECT_EQ(CheckHostKey("f", 22, "rsa2", kKey), kHostKeyNotCached);
}

TEST_F(SshHostKeyStore, VeryLongKeyTextRoundTripsWhole) {
  std::string text = "0x" + std::string(20000, 'a') + ",0x" + std::string(5000, 'b');
  ASSERT_TRUE(StoreHostKey("big", 22, "dss", text));
  EXPECT_EQ(CheckHostKey("big", 22, "dss", text), kHostKeyMatches);
  EXPECT_EQ(CheckHostKey("big", 22, "dss", text.substr(0, 16300)), kHostKeyChanged);
}

TEST_F(SshHostKeyStore, OldSshOneEntryIsConvertedAndMovedWhenItMatches) {
  const std::string current = "0x25,0x12345678abcdef01";
  // The same key in the old form: words low first, halves swapped.
  const std::string old = "00250000/ef01abcd" "56781234";
  PutText("Old.Host", old + '\0');

  EXPECT_EQ(CheckHostKey("Old.Host", 22, "rsa", "0x25,0x12345678abcdef03"), kHostKeyChanged);
  EXPECT_EQ(Stored("rsa@22:Old.Host"), "<none>") << "a mismatch is not written back";
  EXPECT_EQ(CheckHostKey("Old.Host", 22, "rsa2", current), kHostKeyNotCached) << "only SSH-1 keys had the old form";

  EXPECT_EQ(CheckHostKey("Old.Host", 22, "rsa", current), kHostKeyMatches);
  EXPECT_EQ(Stored("rsa@22:Old.Host"), current + '\0');
  EXPECT_EQ(CheckHostKey("Old.Host", 22, "rsa", current), kHostKeyMatches);
}

TEST_F(SshHostKeyStore, BrokenOldEntriesAreNoMatch) {
  const std::string current = "0x25,0x1";
  PutText("garbled", std::string("0025zzzz/00010000") + '\0');
  EXPECT_EQ(CheckHostKey("garbled", 22, "rsa", current), kHostKeyChanged);
  PutText("binary", std::string("00250000/00010000"), REG_BINARY);
  EXPECT_EQ(CheckHostKey("binary", 22, "rsa", current), kHostKeyNotCached);
  PutText("huge", std::string(1 << 20, '0') + "/00010000");
  EXPECT_EQ(CheckHostKey("huge", 22, "rsa", current), kHostKeyChanged);
  // An empty host must not read the cache key's default value.
  PutText("", std::string("00250000/00010000") + '\0');
  EXPECT_EQ(CheckHostKey("", 22, "rsa", current), kHostKeyNotCached);
  EXPECT_EQ(Stored("rsa@22:"), "<none>");
}
