#include "app/cmdline.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CommandLine, SwitchesProfilesAndAddresses) {
  CommandLine cl = ParseCommandLine(SplitCommandLine("/C site1"));
  EXPECT_EQ(cl.mode, kCmdProfile);
  EXPECT_STREQ(cl.profile, "site1");
  EXPECT_FALSE(cl.help);

  cl = ParseCommandLine(SplitCommandLine("-? /x ftp://one ftp://two"));
  EXPECT_TRUE(cl.help);
  EXPECT_EQ(cl.mode, kCmdAddress);
  EXPECT_STREQ(cl.address, "ftp://two");  // a later address replaces an earlier one

  cl = ParseCommandLine(SplitCommandLine("-c \"my site\""));
  EXPECT_STREQ(cl.profile, "my site");

  cl = ParseCommandLine(SplitCommandLine("/c"));  // nothing follows
  EXPECT_EQ(cl.mode, kCmdNothing);
}

TEST(CommandLine, OverlongTokensAreRefusedNotCut) {
  std::string name(300, 'n');
  CommandLine cl = ParseCommandLine({"/c", name});
  EXPECT_EQ(cl.mode, kCmdNothing);
  EXPECT_EQ(cl.profile[0], '\0');
  EXPECT_TRUE(cl.refusedLongToken);
  cl = ParseCommandLine({std::string(260, 'a')});
  EXPECT_EQ(cl.mode, kCmdNothing);
  cl = ParseCommandLine({std::string(259, 'a')});
  EXPECT_EQ(cl.mode, kCmdAddress);
  EXPECT_EQ(std::strlen(cl.address), 259u);
}

TEST(CommandLine, SplittingFollowsTheRuntimeRules) {
  EXPECT_EQ(SplitCommandLine("  a  \"b c\"\td "), (std::vector<std::string>{"a", "b c", "d"}));
  EXPECT_EQ(SplitCommandLine("a\\\"b"), (std::vector<std::string>{"a\"b"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\dir\\\\\" x"), (std::vector<std::string>{"C:\\dir\\", "x"}));
  EXPECT_EQ(SplitCommandLine("\"unterminated"), (std::vector<std::string>{"unterminated"}));
  EXPECT_EQ(SkipProgramName("\"C:\\Program Files\\vorto.exe\" /c x"), " /c x");
  EXPECT_EQ(SkipProgramName("vorto.exe"), "");
}
