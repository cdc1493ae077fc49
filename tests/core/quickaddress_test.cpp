#include "app/quickaddress.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(QuickAddressParse, PrefixesLoginsAndBareHosts) {
  QuickAddress a;
  ASSERT_TRUE(ParseQuickAddress("SFTP://alice:s3:cret@files.example.org", a));
  EXPECT_TRUE(a.hasPrefix);
  EXPECT_TRUE(a.sftp);
  EXPECT_EQ(a.user, "alice");
  EXPECT_EQ(a.password, "s3:cret");  // only the first colon separates
  EXPECT_EQ(a.host, "files.example.org");

  ASSERT_TRUE(ParseQuickAddress("ftp://bob@host", a));
  EXPECT_TRUE(a.hasPrefix);
  EXPECT_FALSE(a.sftp);
  EXPECT_EQ(a.user, "bob");
  EXPECT_EQ(a.password, "");
  EXPECT_EQ(a.host, "host");

  ASSERT_TRUE(ParseQuickAddress("host:2121", a));
  EXPECT_FALSE(a.hasPrefix);
  EXPECT_EQ(a.host, "host:2121");  // no port is taken from the address
  EXPECT_EQ(a.user, "");
}

TEST(QuickAddressParse, HostileAddresses) {
  QuickAddress a;
  EXPECT_FALSE(ParseQuickAddress("", a));
  EXPECT_FALSE(ParseQuickAddress("sftp://", a));
  EXPECT_FALSE(ParseQuickAddress("ftp://user@", a));
  EXPECT_FALSE(ParseQuickAddress(std::string(300, 'h'), a));
  EXPECT_TRUE(ParseQuickAddress(std::string(259, 'h'), a));
  ASSERT_TRUE(ParseQuickAddress("@host", a));
  EXPECT_EQ(a.user, "");
  EXPECT_EQ(a.host, "host");
  ASSERT_TRUE(ParseQuickAddress("a@b@c", a));  // the host is everything after the first "@"
  EXPECT_EQ(a.user, "a");
  EXPECT_EQ(a.host, "b@c");
  EXPECT_FALSE(ParseQuickAddress(std::string(80, 'u') + "@host", a));
}

TEST(QuickAddressHistory, TopEntryNoDuplicatesAtMostSixtyFour) {
  std::vector<std::string> history;
  for (int i = 0; i < 70; ++i) MoveToTopOfHistory(history, "h" + std::to_string(i));
  ASSERT_EQ(history.size(), 64u);
  EXPECT_EQ(history.front(), "h69");
  MoveToTopOfHistory(history, "h30");
  EXPECT_EQ(history.front(), "h30");
  EXPECT_EQ(history.size(), 64u);
  EXPECT_EQ(std::count(history.begin(), history.end(), "h30"), 1);
}
