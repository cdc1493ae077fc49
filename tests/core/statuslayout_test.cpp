#include "app/statuslayout.h"

#include <gtest/gtest.h>

TEST(StatusLayout, ActionPartTakesTheRestButNeverLessThanFour) {
  auto edges = StatusPartEdges(800, 50, 60, 40, 20);
  EXPECT_EQ(edges[0], 800 - 58 - 68 - 24 - 48 - 20);
  EXPECT_EQ(edges[1] - edges[0], 58);
  EXPECT_EQ(edges[2] - edges[1], 68);
  EXPECT_EQ(edges[3] - edges[2], kSecurePartWidth);
  EXPECT_EQ(edges[4], -1);
  // Narrower than the fixed parts: part 0 keeps 4 pixels, the rest follow.
  edges = StatusPartEdges(100, 50, 60, 40, 20);
  EXPECT_EQ(edges[0], 4);
  EXPECT_EQ(edges[1], 4 + 58);
}
