#include "base/barlayout.h"

#include <gtest/gtest.h>

TEST(BarLayoutRecord, RoundTripAndForgedValues) {
  BarLayout layout = DefaultMainBarLayout();
  layout.flags = kBarsLocked;
  std::vector<uint8_t> bytes = EncodeBarLayout(layout);
  ASSERT_EQ(bytes.size(), 16u + 16u * 4);
  BarLayout back;
  ASSERT_TRUE(DecodeBarLayout(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back.flags, kBarsLocked);
  ASSERT_EQ(back.bands.size(), 4u);
  EXPECT_EQ(back.bands[2].id, 276u);
  EXPECT_EQ(back.bands[2].style, kBandNewRow);
  EXPECT_EQ(back.bands[3].width, 150);

  BarLayout untouched;
  std::vector<uint8_t> foreign = bytes;
  foreign[0] ^= 1;
  EXPECT_FALSE(DecodeBarLayout(foreign.data(), foreign.size(), untouched));
  std::vector<uint8_t> forged = bytes;
  forged[4] = 5;  // five bands claimed, four stored
  EXPECT_FALSE(DecodeBarLayout(forged.data(), forged.size(), untouched));
  forged[4] = 0xff, forged[7] = 0xff;
  EXPECT_FALSE(DecodeBarLayout(forged.data(), forged.size(), untouched));
  EXPECT_FALSE(DecodeBarLayout(bytes.data(), 15, untouched));
  EXPECT_TRUE(untouched.bands.empty());
}
