#include "profiles/profile.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ProfileRecord, DefaultsAreTheDocumentedOnes) {
  ServerProfile p;
  std::memset(&p, 0xAB, sizeof p);
  SetDefaultProfile(p);
  EXPECT_EQ(p.connections, 1);
  EXPECT_EQ(p.timingA, 300000);
  EXPECT_EQ(p.timingB, 3600000);
  EXPECT_EQ(p.timingC, 300000);
  EXPECT_EQ(p.ftpPort, 21);
  EXPECT_EQ(p.sftpPort, 22);
  EXPECT_EQ(p.transferMode, 0);
  EXPECT_EQ(p.sftpTextMode, 1);
  EXPECT_EQ(p.filePermission, 0644);
  EXPECT_EQ(p.folderPermission, 0755);
  EXPECT_EQ(p.host[0], 0);
  EXPECT_EQ(p.reserved0[259], 0);
  // Bytes as stored: offset 1444 holds the FTP port little-endian.
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&p);
  EXPECT_EQ(bytes[1444], 21);
  EXPECT_EQ(bytes[1512], 1);
}

TEST(ProfileRecord, SanitizeTerminatesFieldsAndClampsNumbers) {
  ServerProfile p;
  SetDefaultProfile(p);
  std::memset(p.host, 'h', sizeof p.host);
  std::memset(p.user, 'u', sizeof p.user);
  std::memset(p.keepAliveCommand, 'k', sizeof p.keepAliveCommand);
  p.connections = 31;
  p.ftpPort = 70000;
  p.transferMode = 9;
  SanitizeProfile(p);
  EXPECT_EQ(std::strlen(p.host), 259u);
  EXPECT_EQ(std::strlen(p.user), 79u);
  EXPECT_EQ(std::strlen(p.keepAliveCommand), 31u);
  EXPECT_EQ(p.connections, 30);
  EXPECT_EQ(p.ftpPort, 21);
  EXPECT_EQ(p.transferMode, 0);
  p.connections = -5;
  SanitizeProfile(p);
  EXPECT_EQ(p.connections, 1);
}

TEST(ProfileRecord, HostLosesSchemeAndPath) {
  ServerProfile p;
  SetDefaultProfile(p);
  std::strcpy(p.host, "FTP://files.example.org/pub/x");
  NormalizeHost(p.host);
  EXPECT_STREQ(p.host, "files.example.org");
  std::strcpy(p.host, "host\\share");
  NormalizeHost(p.host);
  EXPECT_STREQ(p.host, "host");
  std::strcpy(p.host, "ftp:/x");
  NormalizeHost(p.host);
  EXPECT_STREQ(p.host, "ftp:");
}

TEST(ProfileLists, MultiStringEmptyMissingAndUnterminated) {
  std::vector<uint8_t> empty = EncodeMultiString({});
  ASSERT_EQ(empty.size(), 1u);  // only the final zero
  EXPECT_TRUE(DecodeMultiString(empty.data(), empty.size()).empty());

  std::vector<uint8_t> v = EncodeMultiString({"txt", "html"});
  EXPECT_EQ(v.size(), 1u + 4 + 5);
  EXPECT_EQ(DecodeMultiString(v.data(), v.size()), (std::vector<std::string>{"txt", "html"}));

  // A value without its zeros is measured against the bytes it has.
  const uint8_t raw[] = {'a', 'b', 0, 'c', 'd'};
  EXPECT_EQ(DecodeMultiString(raw, sizeof raw), (std::vector<std::string>{"ab", "cd"}));
  // Reading stops at the first empty string.
  const uint8_t stop[] = {'a', 0, 0, 'b', 0, 0};
  EXPECT_EQ(DecodeMultiString(stop, sizeof stop), (std::vector<std::string>{"a"}));
}

TEST(TransferMode, AutomaticModeDecidesByExtension) {
  std::vector<std::string> ascii = DefaultAsciiTypes();
  EXPECT_EQ(ascii.size(), 11u);
  EXPECT_TRUE(IsAsciiTransfer("index.HTML", kModeAuto, ascii));
  EXPECT_FALSE(IsAsciiTransfer("README", kModeAuto, ascii));
  EXPECT_FALSE(IsAsciiTransfer("archive.tar.gz", kModeAuto, ascii));
  EXPECT_TRUE(IsAsciiTransfer("a.tar.txt", kModeAuto, ascii));
  EXPECT_FALSE(IsAsciiTransfer("trailing.", kModeAuto, ascii));
  EXPECT_TRUE(IsAsciiTransfer("photo.jpg", kModeAscii, ascii));
  EXPECT_FALSE(IsAsciiTransfer("page.htm", kModeBinary, ascii));
  EXPECT_FALSE(IsAsciiTransfer("page.htm", kModeAuto, {}));
}

TEST(ServerTime, FixedZonesShiftByTheirOffset) {
  const uint64_t hour = 36000000000ULL;
  const uint64_t t = 130000000000000000ULL;
  uint64_t x = t;
  EXPECT_TRUE(ServerTimeToUtcFixed(1, x));
  EXPECT_EQ(x, t);
  x = t;
  EXPECT_TRUE(ServerTimeToUtcFixed(14, x));  // GMT+00
  EXPECT_EQ(x, t);
  x = t;
  EXPECT_TRUE(ServerTimeToUtcFixed(23, x));  // GMT+09
  EXPECT_EQ(x, t - 9 * hour);
  x = t;
  EXPECT_TRUE(ServerTimeToUtcFixed(2, x));  // GMT-12
  EXPECT_EQ(x, t + 12 * hour);
  x = t;
  EXPECT_FALSE(ServerTimeToUtcFixed(0, x));  // local time: the platform's job
  EXPECT_FALSE(ServerTimeToUtcFixed(27, x));
  EXPECT_EQ(x, t);
}

TEST(ProfileNames, BackslashEmptyAndOverlongAreRefused) {
  EXPECT_TRUE(IsValidProfileName("site1"));
  EXPECT_TRUE(IsValidProfileName("Quick Connect"));
  EXPECT_FALSE(IsValidProfileName(""));
  EXPECT_FALSE(IsValidProfileName("a\\b"));
  EXPECT_FALSE(IsValidProfileName(std::string(260, 'n')));
  EXPECT_TRUE(IsValidProfileName(std::string(259, 'n')));
}
