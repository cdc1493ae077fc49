#include "base/windowinfo.h"

#include <gtest/gtest.h>

TEST(WindowInfoValue, OnlyTwentyFourBytesAreAccepted) {
  WindowInfo info{10, 20, 810, 620, 3, -5};
  auto bytes = EncodeWindowInfo(info);
  WindowInfo back;
  ASSERT_TRUE(DecodeWindowInfo(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back.right, 810);
  EXPECT_EQ(back.showCmd, 3);
  EXPECT_EQ(back.splitter, -5);
  EXPECT_FALSE(DecodeWindowInfo(bytes.data(), 23, back));
  std::vector<uint8_t> longer(bytes.begin(), bytes.end());
  longer.push_back(0);
  EXPECT_FALSE(DecodeWindowInfo(longer.data(), longer.size(), back));
}

TEST(WindowInfoValue, SplitterStaysTenPixelsFromEitherEdge) {
  EXPECT_EQ(ClampSplitter(3, 800), 10);
  EXPECT_EQ(ClampSplitter(795, 800), 790);
  EXPECT_EQ(ClampSplitter(400, 800), 400);
  EXPECT_EQ(ClampSplitter(400, 15), 10);  // a tiny window keeps the lower bound
}
