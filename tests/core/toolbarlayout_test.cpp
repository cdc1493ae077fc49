#include "app/toolbarlayout.h"

#include <gtest/gtest.h>

TEST(ToolbarLayoutRecord, RoundTripKeepsToolTitlesOnly) {
  std::vector<StoredButton> buttons = {{4096, u""}, {0, u""}, {12289, u"Editor"}, {4136, u"ignored"}};
  std::vector<uint8_t> bytes = EncodeToolbarLayout(buttons);
  std::vector<StoredButton> back;
  ASSERT_TRUE(DecodeToolbarLayout(bytes.data(), bytes.size(), back));
  ASSERT_EQ(back.size(), 4u);
  EXPECT_EQ(back[1].command, 0);
  EXPECT_EQ(back[2].toolTitle, u"Editor");
  EXPECT_TRUE(back[3].toolTitle.empty());  // only tool buttons carry a title

  std::vector<StoredButton> untouched;
  std::vector<uint8_t> forged = bytes;
  forged[0] ^= 1;
  EXPECT_FALSE(DecodeToolbarLayout(forged.data(), forged.size(), untouched));
  forged = bytes;
  forged[4] = 9;  // more buttons claimed than stored
  EXPECT_FALSE(DecodeToolbarLayout(forged.data(), forged.size(), untouched));
  forged = bytes;
  forged[8 + 6 + 6 + 2 + 3] = 0x7f;  // the tool title's length beyond the value
  EXPECT_FALSE(DecodeToolbarLayout(forged.data(), forged.size(), untouched));
  for (size_t cut = 0; cut < bytes.size(); ++cut) EXPECT_FALSE(DecodeToolbarLayout(bytes.data(), cut, untouched));
  EXPECT_TRUE(untouched.empty());
}

TEST(ToolbarLayoutRecord, ToolButtonsFollowTheirTitleOrDisappear) {
  std::vector<StoredButton> stored = {{4096, u""}, {12288, u"Viewer"}, {12289, u"Gone"}, {12290, u"Editor"}};
  std::vector<StoredButton> bound = RebindToolButtons(stored, {u"Editor", u"Viewer", u"Editor"});
  ASSERT_EQ(bound.size(), 3u);
  EXPECT_EQ(bound[0].command, 4096);
  EXPECT_EQ(bound[1].command, 12289);  // "Viewer" is tool 1 now
  EXPECT_EQ(bound[2].command, 12288);  // the first tool titled "Editor"
  EXPECT_TRUE(RebindToolButtons(stored, {u"editor"}).size() == 1u);  // titles compare exactly
}
