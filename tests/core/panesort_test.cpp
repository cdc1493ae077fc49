#include "panes/panesort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "panes/listinfo.h"
#include "panes/navhistory.h"

namespace {
FileEntry Entry(const char* name, uint32_t attributes, uint64_t size = 0, uint64_t time = 0) {
  FileEntry e;
  std::strcpy(e.name, name);
  e.attributes = attributes;
  e.size = static_cast<int64_t>(size);
  e.modified = time;
  return e;
}

int NoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int x = std::tolower(static_cast<unsigned char>(*a)), y = std::tolower(static_cast<unsigned char>(*b));
    if (x != y || !x) return x - y;
  }
}

std::vector<std::string> Sorted(std::vector<FileEntry> entries, int key) {
  std::stable_sort(entries.begin(), entries.end(), [&](const FileEntry& a, const FileEntry& b) {
    return CompareEntries(a, b, key, NoCase, nullptr, nullptr) < 0;
  });
  std::vector<std::string> names;
  for (const FileEntry& e : entries) names.push_back(e.name);
  return names;
}

const std::vector<FileEntry> kMixed = {
    Entry("b.txt", kAttrNormal, 10), Entry("Docs", kAttrDirectory, 999), Entry("a.txt", kAttrNormal, 0),
    Entry("apps", kAttrDirectory, 1), Entry("C.bin", kAttrNormal, 5),
};
}  // namespace

TEST(PaneSort, AscendingByNamePutsFoldersFirstIgnoringCase) {
  EXPECT_EQ(Sorted(kMixed, 0), (std::vector<std::string>{"apps", "Docs", "a.txt", "b.txt", "C.bin"}));
}

TEST(PaneSort, DescendingByNameListsFilesFirstEachGroupReversed) {
  EXPECT_EQ(Sorted(kMixed, ~0), (std::vector<std::string>{"C.bin", "b.txt", "a.txt", "Docs", "apps"}));
}

TEST(PaneSort, SizesAreUnsignedAndFolderSizesDoNotCount) {
  std::vector<FileEntry> entries = kMixed;
  entries.push_back(Entry("huge", kAttrNormal, 0x8000000000000000ull));  // negative as a signed number
  entries.push_back(Entry("big", kAttrNormal, 0x100000000ull));
  EXPECT_EQ(Sorted(entries, 1),
            (std::vector<std::string>{"Docs", "apps", "a.txt", "C.bin", "b.txt", "big", "huge"}));
}

TEST(PaneSort, TimeTypeAndTextColumns) {
  FileEntry early = Entry("x", kAttrNormal, 0, 100), late = Entry("y", kAttrNormal, 0, 0xFFFFFFFF00000000ull);
  EXPECT_LT(CompareEntries(early, late, 3, NoCase, nullptr, nullptr), 0);
  EXPECT_GT(CompareEntries(early, late, ~3, NoCase, nullptr, nullptr), 0);
  EXPECT_LT(CompareEntries(early, late, 2, NoCase, "Document", "Text"), 0);
  std::strcpy(early.owner, "root");
  std::strcpy(late.owner, "alice");
  EXPECT_GT(CompareEntries(early, late, 5, NoCase, nullptr, nullptr), 0);
  // An unknown column compares equal rather than reading anything.
  EXPECT_EQ(CompareEntries(early, late, 77, NoCase, nullptr, nullptr), 0);
}

TEST(PaneSort, PickingAColumnFlipsOnlyTheCurrentOne) {
  EXPECT_EQ(NextSortKey(0, 0), ~0);
  EXPECT_EQ(NextSortKey(~0, 0), 0);
  EXPECT_EQ(NextSortKey(~0, 3), 3);
  EXPECT_EQ(NextSortKey(3, 1), 1);
  EXPECT_EQ(SplitSortKey(~4).column, 4);
  EXPECT_TRUE(SplitSortKey(~4).descending);
}

TEST(PaneHistory, BackForwardAndNewMoves) {
  NavHistory h;
  RememberDirectory(h, "/a");
  RememberDirectory(h, "/b");  // now at /c
  std::string dir;
  ASSERT_TRUE(TakeBack(h, dir));
  EXPECT_EQ(dir, "/b");
  RememberDirectory(h, "/c");  // the listing of /b arrived
  EXPECT_EQ(h.forward.back(), "/c");
  ASSERT_TRUE(TakeForward(h, dir));
  EXPECT_EQ(dir, "/c");
  RememberDirectory(h, "/b");  // at /c again: /b can be gone back to
  EXPECT_EQ(h.back.back(), "/b");
  EXPECT_TRUE(h.forward.empty());
  ASSERT_TRUE(TakeBack(h, dir));
  RememberDirectory(h, "/c");
  EXPECT_FALSE(h.forward.empty());
  RememberDirectory(h, "/b");  // a new move forgets the forward list
  EXPECT_TRUE(h.forward.empty());
  EXPECT_FALSE(h.navigatingBack || h.navigatingForward);
  NavHistory empty;
  EXPECT_FALSE(TakeBack(empty, dir));
  EXPECT_FALSE(TakeForward(empty, dir));
}

TEST(PaneHistory, EachListIsCappedAt256DroppingTheOldest) {
  NavHistory h;
  for (int i = 0; i < 257; ++i) RememberDirectory(h, "/d" + std::to_string(i));
  EXPECT_EQ(h.back.size(), 256u);
  EXPECT_EQ(h.back.front(), "/d1");
  std::string dir;
  for (int i = 0; i < 257; ++i) {
    if (!TakeBack(h, dir)) break;
    RememberDirectory(h, "/x" + std::to_string(i));
  }
  EXPECT_EQ(h.forward.size(), 256u);
  EXPECT_TRUE(h.back.empty());
}

TEST(PaneListInfo, RoundTripAndStrictSize) {
  ListInfo info = DefaultListInfo();
  info.widths[3] = kHiddenColumn;
  info.sortKey = ~1;
  std::vector<uint8_t> bytes = EncodeListInfo(info);
  ASSERT_EQ(bytes.size(), 28u);
  ListInfo back = DefaultListInfo();
  ASSERT_TRUE(DecodeListInfo(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back.widths[3], -1);
  EXPECT_EQ(back.widths[0], 160);
  EXPECT_EQ(back.sortKey, ~1);
  EXPECT_FALSE(DecodeListInfo(bytes.data(), 27, back));
  bytes.push_back(0);
  EXPECT_FALSE(DecodeListInfo(bytes.data(), 29, back));
  // A sort key naming no column falls back to the name.
  bytes.resize(28);
  bytes[24] = 99;
  ASSERT_TRUE(DecodeListInfo(bytes.data(), 28, back));
  EXPECT_EQ(back.sortKey, 0);
}

TEST(PaneListInfo, HiddenColumnComesBackInIdOrder) {
  ListInfo info = DefaultListInfo();
  info.widths[3] = kHiddenColumn;
  info.widths[0] = kHiddenColumn;  // the name column cannot be hidden
  std::vector<int> visible = VisibleColumns(info, 5);
  EXPECT_EQ(visible, (std::vector<int>{0, 1, 2, 4}));
  EXPECT_EQ(ColumnInsertPosition(visible, 3), 3u);  // between type and attributes
  EXPECT_EQ(ColumnInsertPosition(visible, 5), 4u);
  EXPECT_EQ(VisibleColumns(DefaultListInfo(), 6).size(), 6u);
  EXPECT_EQ(kColumnSpecs[3].width, 120);
  EXPECT_EQ(ClampColumnWidth(5), 10);
  EXPECT_EQ(ClampColumnWidth(1 << 30), 10000);
}
