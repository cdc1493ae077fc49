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
  EXPECT_EQ(a.host, "host:2121");  // the history keeps the address as typed
  EXPECT_EQ(a.serverName, "host");
  EXPECT_EQ(a.port, 2121);
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

TEST(QuickAddressParse, PortsAndIpv6Addresses) {
  QuickAddress a;
  ASSERT_TRUE(ParseQuickAddress("ftp://u:p@127.0.0.1:2121", a));
  EXPECT_EQ(a.user, "u");
  EXPECT_EQ(a.password, "p");
  EXPECT_EQ(a.serverName, "127.0.0.1");
  EXPECT_EQ(a.port, 2121);
  ASSERT_TRUE(ParseQuickAddress("sftp://[::1]:2222", a));
  EXPECT_EQ(a.serverName, "::1");
  EXPECT_EQ(a.port, 2222);
  ASSERT_TRUE(ParseQuickAddress("[fe80::1]", a));
  EXPECT_EQ(a.serverName, "fe80::1");
  EXPECT_EQ(a.port, 0);
  ASSERT_TRUE(ParseQuickAddress("fe80::1", a));  // bare IPv6: no port
  EXPECT_EQ(a.serverName, "fe80::1");
  EXPECT_EQ(a.port, 0);
  ASSERT_TRUE(ParseQuickAddress("host:ftp", a));  // not a number: part of the name
  EXPECT_EQ(a.serverName, "host:ftp");
  EXPECT_EQ(a.port, 0);
  EXPECT_FALSE(ParseQuickAddress("host:0", a));
  EXPECT_FALSE(ParseQuickAddress("host:65536", a));
  EXPECT_FALSE(ParseQuickAddress("host:99999999999999999999", a));
  EXPECT_FALSE(ParseQuickAddress(":21", a));
  EXPECT_FALSE(ParseQuickAddress("[::1", a));
  EXPECT_FALSE(ParseQuickAddress("[]:21", a));
  EXPECT_FALSE(ParseQuickAddress("[::1]x", a));
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
