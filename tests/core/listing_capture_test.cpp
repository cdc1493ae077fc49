// Listings captured from the real servers the tests run (tests/data/listings).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/listdate.h"
#include "engine/listparse.h"

namespace {
std::string Capture(const char* name) {
  std::ifstream in(std::string(VORTO_TEST_DATA) + "/listings/" + name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

const FileEntry* Find(const std::vector<FileEntry>& list, const char* name) {
  for (const FileEntry& e : list)
    if (std::strcmp(e.name, name) == 0) return &e;
  return nullptr;
}
}  // namespace

TEST(ListCapture, VsftpdListingParsesWhole) {
  std::string text = Capture("vsftpd.txt");
  ASSERT_FALSE(text.empty());
  ListParseOptions options;
  options.now = ListClock{2026, 12};
  std::vector<FileEntry> list;
  ListParseResult result = ParseListing(text, options, list);
  ASSERT_FALSE(result.fallback);
  ASSERT_EQ(list.size(), 5u);  // "." and ".." are not entries
  const FileEntry* big = Find(list, "big.iso");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->size, 5368709120LL);
  const FileEntry* link = Find(list, "link");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->attributes, kAttrSymlink);
  ASSERT_NE(Find(list, "name with blanks.txt"), nullptr);
  EXPECT_EQ(Find(list, "docs")->attributes, kAttrDirectory);
  EXPECT_STREQ(Find(list, "docs")->permissions, "drwxr-xr-x ");
  EXPECT_NE(Find(list, "big.iso")->modified, 0u);

  options.hideDotFiles = true;
  list.clear();
  ParseListing(text, options, list);
  EXPECT_EQ(Find(list, ".hidden"), nullptr);
}

TEST(ListCapture, PyftpdlibListingWithoutDotsIsNotTrusted) {
  std::string text = Capture("pyftpdlib-list-a.txt");
  ASSERT_FALSE(text.empty());
  ListParseOptions options;
  options.now = ListClock{2026, 12};
  std::vector<FileEntry> list;
  EXPECT_TRUE(ParseListing(text, options, list).fallback);
  EXPECT_TRUE(list.empty());
}
