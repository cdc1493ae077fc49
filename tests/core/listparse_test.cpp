#include "engine/listparse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr ListClock kDecember2026{2026, 12};
constexpr std::string_view kDotLines =
    "drwxr-xr-x   5 user  group      4096 Jan  5  2008 .\r\n"
    "drwxr-xr-x  12 root  root       4096 Jan  5  2008 ..\r\n";

uint64_t FileTimeOf(int y, int mo, int d, int h, int mi, int s, int ms) {
  uint64_t t = 0;
  EXPECT_TRUE(CivilToFileTime(y, mo, d, h, mi, s, ms, t));
  return t;
}

struct Parsed {
  ListParseResult result;
  std::vector<FileEntry> entries;
};

Parsed Parse(std::string_view body, ListParseOptions options = {}) {
  if (options.now.year == 1970) options.now = kDecember2026;
  std::string text(kDotLines);
  text += body;
  Parsed p;
  p.result = ParseListing(text, options, p.entries);
  return p;
}

// One entry from one line, or a failure naming what came back.
FileEntry ParseOne(std::string_view line, ListParseOptions options = {}) {
  Parsed p = Parse(std::string(line) + "\n", options);
  EXPECT_FALSE(p.result.fallback);
  EXPECT_EQ(p.entries.size(), 1u) << line;
  return p.entries.empty() ? FileEntry{} : p.entries[0];
}

}  // namespace

// ---- The line shapes servers send ----

TEST(ListParseLine, DirectoryWithYear) {
  FileEntry e = ParseOne("drwxr-xr-x    2 user     group        4096 Jan  5  2008 docs");
  EXPECT_STREQ(e.name, "docs");
  EXPECT_EQ(e.attributes, kAttrDirectory);
  EXPECT_EQ(e.size, 4096);
  EXPECT_EQ(e.modified, FileTimeOf(2008, 1, 5, 23, 59, 59, 999));
  EXPECT_STREQ(e.permissions, "drwxr-xr-x ");
  EXPECT_STREQ(e.owner, "user");
  EXPECT_EQ(e.viewSlot[0], -1);
  EXPECT_EQ(e.viewSlot[1], -1);
  EXPECT_EQ(e.cutMark, 0);
}

TEST(ListParseLine, FileNameKeepsInnerBlanksAndTimeOfDayPicksTheYear) {
  ListParseOptions o;
  o.now = ListClock{2026, 12};
  FileEntry e = ParseOne("-rw-r--r--    1 user     group       12345 Oct 12 10:00 file name.txt", o);
  EXPECT_STREQ(e.name, "file name.txt");
  EXPECT_EQ(e.attributes, kAttrNormal);
  EXPECT_EQ(e.size, 12345);
  EXPECT_EQ(e.modified, FileTimeOf(2026, 10, 12, 10, 0, 0, 0));
  o.now = ListClock{2026, 9};
  EXPECT_EQ(ParseOne("-rw-r--r-- 1 user group 12345 Oct 12 10:00 f", o).modified,
            FileTimeOf(2025, 10, 12, 10, 0, 0, 0));
}

TEST(ListParseLine, SymbolicLinkIsCutAtTheArrow) {
  FileEntry e = ParseOne("lrwxrwxrwx 1 user group 11 Jan  5  2008 link -> target/dir");
  EXPECT_STREQ(e.name, "link");
  EXPECT_EQ(e.attributes, kAttrSymlink);
  EXPECT_TRUE(IsDirectoryEntry(e));
  EXPECT_TRUE(IsSymlinkEntry(e));
  // Only a link's name is cut; a file may carry the arrow in its name.
  EXPECT_STREQ(ParseOne("-rw-r--r-- 1 u g 1 Jan  5  2008 a -> b").name, "a -> b");
  EXPECT_STREQ(ParseOne("lrwxrwxrwx 1 u g 1 Jan  5  2008 a -> b -> c").name, "a");
}

TEST(ListParseLine, JapaneseDatesInShiftJisAndEucJp) {
  for (std::string date : {std::string("12\x8C\x8E  3\x93\xFA 10:00"), std::string("12\xB7\xEE  3\xC6\xFC 10:00")}) {
    FileEntry e = ParseOne("-rw-r--r-- 1 user group 512 " + date + " readme.txt");
    EXPECT_STREQ(e.name, "readme.txt");
    EXPECT_EQ(e.size, 512);
    EXPECT_EQ(e.modified, FileTimeOf(2026, 12, 3, 10, 0, 0, 0));
  }
}

TEST(ListParseLine, SizeAboveFourGigabytesKeepsAllSixtyFourBits) {
  EXPECT_EQ(ParseOne("-rw-r--r-- 1 u g 5000000000 Jan  5  2008 big.iso").size, 5000000000LL);
  EXPECT_EQ(ParseOne("-rw-r--r-- 1 u g 9223372036854775807 Jan  5  2008 max").size, INT64_MAX);
}

TEST(ListParseLine, ColumnsVaryBetweenServers) {
  // No group column.
  FileEntry e = ParseOne("-rw-r--r-- 1 owner 77 Jan  5  2008 a");
  EXPECT_EQ(e.size, 77);
  EXPECT_STREQ(e.owner, "owner");
  // A mark after the permissions (access list) is kept in the text.
  EXPECT_STREQ(ParseOne("-rw-r--r--+ 1 u g 1 Jan  5  2008 a").permissions, "-rw-r--r--+");
  // Owner and group joined by "/".
  EXPECT_STREQ(ParseOne("-rw-r--r-- 1 user/group 9 Jan  5  2008 a").owner, "user");
  // A long owner is cut to the field.
  FileEntry longOwner = ParseOne("-rw-r--r-- 1 " + std::string(60, 'o') + " g 1 Jan  5  2008 a");
  EXPECT_EQ(std::strlen(longOwner.owner), 39u);
}

TEST(ListParseLine, MonthWordsInTheNameDoNotMoveTheDateColumn) {
  FileEntry e = ParseOne("-rw-r--r-- 1 u g 10 Feb  3  2008 minutes of Jan 5 meeting and more.txt");
  EXPECT_STREQ(e.name, "minutes of Jan 5 meeting and more.txt");
  EXPECT_EQ(e.size, 10);
  EXPECT_EQ(e.modified, FileTimeOf(2008, 2, 3, 23, 59, 59, 999));
}

TEST(ListParseLine, UnknownMonthNamesAreReadByPosition) {
  // Localised month: name and size by position, time unknown.
  FileEntry e = ParseOne("-rw-r--r--   1 user  group  2048 M\xE4r  5  2008 report.pdf");
  EXPECT_STREQ(e.name, "report.pdf");
  EXPECT_EQ(e.size, 2048);
  EXPECT_EQ(e.modified, 0u);
  // Without a group column the size follows the owner.
  FileEntry noGroup = ParseOne("-rw-r--r-- 1 user 300 M\xE4r  5  2008 r");
  EXPECT_EQ(noGroup.size, 300);
  EXPECT_STREQ(noGroup.name, "r");
  // A date column of another width leaves no name: not an entry.
  EXPECT_EQ(Parse("-rw-r--r-- 1 user 300 xx  5  2008 r\n").result.skippedLines, 1u);
}

TEST(ListParseLine, SplitReportsTotalFileAndOtherLines) {
  ListLineFields f;
  EXPECT_EQ(SplitListLine("total 48", f), ListLineKind::Total);
  EXPECT_EQ(SplitListLine("\x8D\x87\x8C\x76 48", f), ListLineKind::Total);
  EXPECT_EQ(SplitListLine("\xB9\xE7\xB7\xD7 48", f), ListLineKind::Total);
  ASSERT_EQ(SplitListLine("-rw-r--r-- 1 u g 5 Jan  5  2008 n", f), ListLineKind::File);
  EXPECT_EQ(f.owner, "u");
  EXPECT_EQ(f.date.substr(0, 12), "Jan  5  2008");
  EXPECT_EQ(f.name, "n");
  const char* notFiles[] = {
      "-rwSr--r-- 1 u g 5 Jan  5  2008 n",   // upper-case permission letter
      "-rw-r--r--",                           // nothing after the permissions
      "-rw-r--r-- x u g 5 Jan  5  2008 n",   // no link count
      "-rw-r--r-- 1u g 5 Jan  5  2008 n",    // count not followed by a blank
      "-rw-r--r-- 1 u",                       // no size, date or name
      "-rw-r--r-- 1 u g z5 xx  5  2008",      // by position: no size column
      "150 Opening ASCII mode data connection",
      "10-05-08  09:12PM       <DIR>          docs",
  };
  for (const char* line : notFiles) EXPECT_EQ(SplitListLine(line, f), ListLineKind::NotFile) << line;
}

// ---- The listing as a whole ----

TEST(ListParseReply, TotalAndForeignLinesAreSkippedAndLineEndsMayBeAnything) {
  std::string body =
      "total 12\r\n"
      "\x8D\x87\x8C\x76 12\n"
      "\xB9\xE7\xB7\xD7 12\r"
      "-rw-r--r-- 1 u g 1 Jan  5  2008 a\r\r\n\n"
      "garbage\n"
      "-rw-r--r-- 1 u g 2 Jan  5  2008 b";  // last line without a line end
  Parsed p = Parse(body);
  EXPECT_FALSE(p.result.fallback);
  ASSERT_EQ(p.entries.size(), 2u);
  EXPECT_STREQ(p.entries[0].name, "a");
  EXPECT_STREQ(p.entries[1].name, "b");
  EXPECT_EQ(p.result.skippedLines, 1u);
}

TEST(ListParseReply, ListingWithoutDotEntriesIsNotTrusted) {
  std::vector<FileEntry> list(1);  // whatever the caller had is emptied too
  ListParseOptions o;
  o.now = kDecember2026;
  ListParseResult r = ParseListing("-rw-r--r-- 1 u g 1 Jan  5  2008 a\r\n", o, list);
  EXPECT_TRUE(r.fallback);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(ParseListing("", o, list).fallback);
  EXPECT_TRUE(ParseListing("\r\n\r\n", o, list).fallback);
  // A reply without any line end is one line: the dot entry is not seen.
  EXPECT_TRUE(ParseListing("drwxr-xr-x 2 u g 1 Jan  5  2008 . drwxr-xr-x 2 u g 1 Jan  5  2008 x", o, list).fallback);
  // Either dot entry alone is enough.
  EXPECT_FALSE(ParseListing("drwxr-xr-x 2 u g 1 Jan  5  2008 ..\n", o, list).fallback);
}

TEST(ListParseReply, HiddenDotFilesAndNameFilter) {
  const std::string body =
      "-rw-r--r-- 1 u g 1 Jan  5  2008 .profile\n"
      "-rw-r--r-- 1 u g 1 Jan  5  2008 notes.txt\n"
      "-rw-r--r-- 1 u g 1 Jan  5  2008 image.png\n"
      "drwxr-xr-x 2 u g 1 Jan  5  2008 photos\n"
      "lrwxrwxrwx 1 u g 1 Jan  5  2008 latest -> photos\n";
  ListParseOptions o;
  o.hideDotFiles = true;
  o.filter = [](const char* name, void*) { return std::strstr(name, ".txt") != nullptr; };
  Parsed p = Parse(body, o);
  // Hiding dot files does not hide "." and "..": the listing stays trusted.
  EXPECT_FALSE(p.result.fallback);
  ASSERT_EQ(p.entries.size(), 3u);
  EXPECT_STREQ(p.entries[0].name, "notes.txt");
  EXPECT_STREQ(p.entries[1].name, "photos");  // directories and links pass the filter
  EXPECT_STREQ(p.entries[2].name, "latest");
  EXPECT_EQ(p.result.skippedLines, 0u);
  EXPECT_EQ(Parse(body).entries.size(), 5u);
}

TEST(ListParseReply, OnlyTimesOfDayGoThroughTheTimeZone) {
  ListParseOptions o;
  o.timeZone = 23;
  o.toUtc = [](uint64_t t, int32_t zone) -> uint64_t { return t - static_cast<uint64_t>(zone - 14) * 36000000000ULL; };
  Parsed p = Parse(
      "-rw-r--r-- 1 u g 1 Oct 12 10:00 a\n"
      "-rw-r--r-- 1 u g 1 Jan  5  2008 b\n"
      "-rw-r--r-- 1 u g 1 Oct 12 99:00 c\n", o);
  ASSERT_EQ(p.entries.size(), 3u);
  EXPECT_EQ(p.entries[0].modified, FileTimeOf(2026, 10, 12, 1, 0, 0, 0));
  EXPECT_EQ(p.entries[1].modified, FileTimeOf(2008, 1, 5, 23, 59, 59, 999));
  EXPECT_EQ(p.entries[2].modified, 0u);  // an unreadable time stays unknown, not shifted
}

// ---- Hostile names and numbers ----

TEST(ListParseHostile, NamesThatCouldLeaveTheFolderAreSkipped) {
  const std::string names[] = {
      "../../etc/passwd", "a/b", "/abs", "a\\b", "..\\x", "...", ". .", ".. ", "a\tb",
      std::string("a\x01z"), std::string("a\x7Fz"), std::string("a\0b", 3), std::string(260, 'n'),
      std::string(1000, 'n'),
  };
  for (const std::string& name : names) {
    Parsed p = Parse("-rw-r--r-- 1 u g 1 Jan  5  2008 " + name + "\n");
    EXPECT_TRUE(p.entries.empty()) << name;
    EXPECT_EQ(p.result.skippedLines, 1u) << name;
    EXPECT_FALSE(p.result.fallback);
  }
  // A link whose name part is a dot entry is skipped as well.
  EXPECT_TRUE(Parse("lrwxrwxrwx 1 u g 1 Jan  5  2008 .. -> /\n").entries.empty());
  // The longest name that fits, and names that merely contain dots, are kept.
  EXPECT_EQ(std::strlen(ParseOne("-rw-r--r-- 1 u g 1 Jan  5  2008 " + std::string(259, 'n')).name), 259u);
  EXPECT_STREQ(ParseOne("-rw-r--r-- 1 u g 1 Jan  5  2008 ..hidden").name, "..hidden");
  EXPECT_STREQ(ParseOne("-rw-r--r-- 1 u g 1 Jan  5  2008 a..b").name, "a..b");
}

TEST(ListParseHostile, DoubleByteNamesMayHoldTheBackslashByte) {
  // Shift-JIS "表" is 95 5C: the second byte is not a separator.
  const std::string line = "-rw-r--r-- 1 u g 1 Jan  5  2008 \x95\x5C.txt\n";
  ListParseOptions sjis;
  sjis.isLeadByte = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  EXPECT_EQ(Parse(line, sjis).entries.size(), 1u);
  EXPECT_TRUE(Parse(line).entries.empty());
  // A name ending in a lead byte would join with the separator after it.
  EXPECT_TRUE(Parse("-rw-r--r-- 1 u g 1 Jan  5  2008 abc\x95\n", sjis).entries.empty());
  // "/" and control bytes are never second bytes, so they stay refused.
  EXPECT_FALSE(IsSafeEntryName("a\x95/b", sjis.isLeadByte));
  EXPECT_FALSE(IsSafeEntryName("a\x95\x01", sjis.isLeadByte));
  EXPECT_TRUE(IsSafeEntryName("a\x95\x5C", sjis.isLeadByte));
}

TEST(ListParseHostile, SizesThatDoNotFitSaturate) {
  Parsed p = Parse(
      "-rw-r--r-- 1 u g 9223372036854775808 Jan  5  2008 over\n"
      "-rw-r--r-- 1 u g 99999999999999999999999999 Jan  5  2008 way-over\n"
      "-rw-r--r-- 1 u g 9223372036854775807 Jan  5  2008 largest\n");
  ASSERT_EQ(p.entries.size(), 3u);
  for (const FileEntry& e : p.entries) EXPECT_EQ(e.size, INT64_MAX) << e.name;
  EXPECT_STREQ(p.entries[1].name, "way-over");
}

TEST(ListParseHostile, ShortAndOddLinesNeverReadPastTheirEnd) {
  // Each prefix of a real line, as a reply cut anywhere would give.
  const std::string line = "lrwxrwxrwx  1 user group 12 12\x8C\x8E  3\x93\xFA 10:00 ln -> t";
  for (size_t n = 0; n <= line.size(); ++n) {
    std::vector<FileEntry> list;
    ListParseOptions o;
    o.now = kDecember2026;
    ParseListing(std::string_view(line).substr(0, n), o, list);  // ASan guards the reads
    ListLineFields f;
    SplitListLine(std::string_view(line).substr(0, n), f);
  }
  EXPECT_EQ(Parse(std::string(100000, ' ') + "\n" + std::string(100000, 'x')).result.skippedLines, 2u);
}
