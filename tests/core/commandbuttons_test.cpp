#include "base/commandbuttons.h"

#include <gtest/gtest.h>

#include <set>

TEST(CommandButtons, EveryButtonHasItsOwnGlyphAndTheMainSetUsesThem) {
  std::set<int> images;
  for (const CommandButton& b : CommandButtonCatalogue()) {
    EXPECT_GE(b.image, 0);
    EXPECT_LT(b.image, kBuiltInImageCount);
    EXPECT_NE(b.image, kToolImageWithoutIcon);
    EXPECT_TRUE(images.insert(b.image).second) << "image " << b.image << " used twice";
  }
  std::vector<uint16_t> main = BuiltInToolbarButtons(kFirstCommandToolbar);
  EXPECT_FALSE(main.empty());
  for (uint16_t command : main) EXPECT_TRUE(command == 0 || CommandButtonImage(command) >= 0) << command;
  EXPECT_TRUE(BuiltInToolbarButtons(kFirstCommandToolbar + 1).empty());
  EXPECT_EQ(CommandButtonImage(1), -1);
}

TEST(CommandButtons, ColourLevelFollowsTheDisplayAndRenumberingMovesOnlyHigherIds) {
  EXPECT_EQ(DefaultColorLevel(-1, true), 2);
  EXPECT_EQ(DefaultColorLevel(-1, false), 1);
  EXPECT_EQ(DefaultColorLevel(256, true), 1);
  EXPECT_EQ(DefaultColorLevel(16, true), 0);
  EXPECT_EQ(ToolbarIdAfterRemoval(512, 513), 512u);
  EXPECT_EQ(ToolbarIdAfterRemoval(514, 513), 513u);
  EXPECT_EQ(ToolbarIdAfterRemoval(767, 600), 766u);
}
