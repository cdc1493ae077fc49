#include "base/binlist.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void PutString(std::vector<uint8_t>& v, const std::u16string& s, uint32_t count) {
  Put32(v, count);
  for (char16_t c : s) Put16(v, static_cast<uint16_t>(c));
}

StoredTool SampleTool(const std::u16string& title) {
  StoredTool t;
  t.title = title;
  t.command = u"C:\\Tools\\edit.exe";
  t.arguments = u"\"$(file)\"";
  t.directory = u"";
  t.iconFile = u"C:\\Tools\\edit.exe";
  t.iconIndex = 2;
  t.flags = 0x21;
  return t;
}
}  // namespace

TEST(ToolList, RoundTripKeepsEveryFieldAndMatchesMeasuredSize) {
  std::vector<StoredTool> tools = {SampleTool(u"Editor"), SampleTool(u"\u00e9diteur \u4e2d")};
  tools[1].iconIndex = -1;
  std::vector<uint8_t> blob = EncodeToolList(tools);
  EXPECT_EQ(blob.size(), MeasureToolList(tools));
  std::vector<StoredTool> back = DecodeToolList(blob.data(), blob.size());
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].title, tools[1].title);
  EXPECT_EQ(back[0].arguments, tools[0].arguments);
  EXPECT_EQ(back[1].iconIndex, -1);
  EXPECT_EQ(back[0].flags, 0x21u);
}

TEST(ToolList, ForeignTagOrShortHeaderYieldsNothing) {
  std::vector<uint8_t> blob = EncodeToolList({SampleTool(u"x")});
  blob[0] ^= 1;
  EXPECT_TRUE(DecodeToolList(blob.data(), blob.size()).empty());
  std::vector<uint8_t> pikt = EncodeShortcutList({{1, 2, u"x"}});
  EXPECT_TRUE(DecodeToolList(pikt.data(), pikt.size()).empty());  // the other list's tag
  EXPECT_TRUE(DecodeToolList(blob.data(), 3).empty());
  EXPECT_TRUE(DecodeToolList(nullptr, 100).empty());
}

TEST(ToolList, ForgedCountsStopAtTheEndOfTheValue) {
  std::vector<uint8_t> blob = EncodeToolList({SampleTool(u"one"), SampleTool(u"two")});
  // An entry count far beyond what the bytes hold keeps the whole entries.
  std::vector<uint8_t> forged = blob;
  forged[4] = 0xff, forged[5] = 0xff, forged[6] = 0xff, forged[7] = 0x7f;
  EXPECT_EQ(DecodeToolList(forged.data(), forged.size()).size(), 2u);
  // A string count of 2^31 must not be believed (nor allocated).
  forged = blob;
  forged[8] = 0, forged[9] = 0, forged[10] = 0, forged[11] = 0x80;
  EXPECT_TRUE(DecodeToolList(forged.data(), forged.size()).empty());
  // Cut anywhere: never reads past the end, keeps only whole entries.
  for (size_t cut = 0; cut < blob.size(); ++cut) {
    size_t got = DecodeToolList(blob.data(), cut).size();
    EXPECT_LE(got, 1u) << cut;
  }
}

TEST(ShortcutList, TitlesOutsideOneTo259AreDroppedAndReadingContinues) {
  std::vector<uint8_t> v;
  Put32(v, kShortcutListTag);
  Put32(v, 4);
  Put16(v, 0x09), Put16(v, 'T');
  PutString(v, u"", 0);  // empty title: dropped
  Put16(v, 0x09), Put16(v, 'U');
  PutString(v, std::u16string(260, u'a'), 260);  // too long: dropped
  Put16(v, 0x0d), Put16(v, 'V');
  PutString(v, u"Editor", 6);
  Put16(v, 0x01), Put16(v, 'W');
  PutString(v, std::u16string(259, u'b'), 259);
  std::vector<StoredShortcut> list = DecodeShortcutList(v.data(), v.size());
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].title, u"Editor");
  EXPECT_EQ(list[0].flags, 0x0d);
  EXPECT_EQ(list[0].key, 'V');
  EXPECT_EQ(list[1].title.size(), 259u);

  std::vector<uint8_t> round = EncodeShortcutList(list);
  EXPECT_EQ(DecodeShortcutList(round.data(), round.size()).size(), 2u);
}

TEST(ShortcutList, TruncatedEntryEndsTheList) {
  std::vector<uint8_t> v = EncodeShortcutList({{1, 'A', u"one"}, {1, 'B', u"two"}});
  v.resize(v.size() - 1);
  EXPECT_EQ(DecodeShortcutList(v.data(), v.size()).size(), 1u);
}
