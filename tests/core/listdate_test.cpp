#include "engine/listdate.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr ListClock kDecember2026{2026, 12};

// Expected values computed independently from the Gregorian calendar.
constexpr uint64_t kJan5th2008LastMs = 128440511999990000ULL;
constexpr uint64_t kOct12th2026At10 = 134362728000000000ULL;
constexpr uint64_t kOct12th2025At10 = 134047368000000000ULL;
constexpr uint64_t kDec3rd2026At10 = 134407656000000000ULL;

}  // namespace

TEST(ListDateCivil, MatchesTheCalendarAndItsLimits) {
  uint64_t t = 7;
  ASSERT_TRUE(CivilToFileTime(1970, 1, 1, 0, 0, 0, 0, t));
  EXPECT_EQ(t, 116444736000000000ULL);
  ASSERT_TRUE(CivilToFileTime(1601, 1, 1, 0, 0, 0, 0, t));
  EXPECT_EQ(t, 0u);
  ASSERT_TRUE(CivilToFileTime(2024, 2, 29, 0, 0, 0, 0, t));
  EXPECT_EQ(t, 133536384000000000ULL);
  ASSERT_TRUE(CivilToFileTime(9999, 12, 31, 23, 59, 59, 999, t));
  EXPECT_EQ(t, 2650467743999990000ULL);
  EXPECT_TRUE(CivilToFileTime(30827, 12, 31, 23, 59, 59, 999, t));

  t = 7;
  EXPECT_FALSE(CivilToFileTime(2023, 2, 29, 0, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(1900, 2, 29, 0, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(1600, 12, 31, 0, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(30828, 1, 1, 0, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(2020, 4, 31, 0, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(2020, 13, 1, 0, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(2020, 1, 0, 0, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(2020, 1, 1, 24, 0, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(2020, 1, 1, 0, 60, 0, 0, t));
  EXPECT_FALSE(CivilToFileTime(2020, 1, 1, 0, 0, 0, 1000, t));
  EXPECT_EQ(t, 7u);
}

TEST(ListDateCivil, ClockFromUnixTime) {
  EXPECT_EQ(ListClockAt(0).year, 1970);
  EXPECT_EQ(ListClockAt(0).month, 1);
  EXPECT_EQ(ListClockAt(1796745600).year, 2026);  // 2026-12-08
  EXPECT_EQ(ListClockAt(1796745600).month, 12);
  EXPECT_EQ(ListClockAt(1709208000).month, 2);     // 2024-02-29
  EXPECT_EQ(ListClockAt(-3600).year, 1969);        // 1969-12-31 23:00
  EXPECT_EQ(ListClockAt(-3600).month, 12);
}

TEST(ListDateColumn, YearFormIsLastMillisecondOfTheDayAndNotConverted) {
  ListDate d = ParseListDate("Jan  5  2008 docs", kDecember2026);
  EXPECT_EQ(d.fileTime, kJan5th2008LastMs);
  EXPECT_FALSE(d.timeOfDay);
  // One blank between day and year, two-digit day.
  EXPECT_EQ(ParseListDate("Jan 05 2008 x", kDecember2026).fileTime, kJan5th2008LastMs);
}

TEST(ListDateColumn, TimeOfDayTakesThisYearUnlessTheMonthIsStillToCome) {
  ListDate d = ParseListDate("Oct 12 10:00 file name.txt", ListClock{2026, 12});
  EXPECT_EQ(d.fileTime, kOct12th2026At10);
  EXPECT_TRUE(d.timeOfDay);
  EXPECT_EQ(ParseListDate("Oct 12 10:00 f", ListClock{2026, 10}).fileTime, kOct12th2026At10);
  EXPECT_EQ(ParseListDate("Oct 12 10:00 f", ListClock{2026, 9}).fileTime, kOct12th2025At10);
  // Single-digit hour padded with a blank.
  EXPECT_EQ(ParseListDate("Oct 12  9:30 f", ListClock{2026, 12}).fileTime,
            kOct12th2026At10 - 30 * 60 * 10000000ULL);
}

TEST(ListDateColumn, JapaneseFormsInShiftJisAndEucJp) {
  const std::string shiftJis[] = {
      "12\x8C\x8E 3\x93\xFA 10:00 name",
      "12\x8C\x8E  3\x93\xFA 10:00 name",
      "12\x8C\x8E  3 10:00 name",
  };
  for (const std::string& field : shiftJis) {
    ListDate d = ParseListDate(field, kDecember2026);
    EXPECT_EQ(d.fileTime, kDec3rd2026At10) << field;
    EXPECT_TRUE(d.timeOfDay);
  }
  const std::string eucJp[] = {
      "12\xB7\xEE 3\xC6\xFC 10:00 name",
      "12\xB7\xEE  3\xC6\xFC 10:00 name",
  };
  for (const std::string& field : eucJp) EXPECT_EQ(ParseListDate(field, kDecember2026).fileTime, kDec3rd2026At10) << field;

  ListDate withYear = ParseListDate("1\x8C\x8E  5\x93\xFA  2008 docs", kDecember2026);
  EXPECT_EQ(withYear.fileTime, kJan5th2008LastMs);
  EXPECT_FALSE(withYear.timeOfDay);
}

TEST(ListDateColumn, UnreadableOrImpossibleDatesGiveZero) {
  const std::string fields[] = {
      "",
      "Jan",
      "Jan  5",
      "Feb 30  2008 x",
      "Oct 12 25:00 x",
      "Oct 12 10:75 x",
      "Oct 12 1x:00 x",
      "Oct 12 10: x",
      "jan  5  2008 x",              // month names are case-sensitive
      "13\x8C\x8E  3 10:00 x",       // month 13
      "123\x8C\x8E  3 10:00 x",
      "12X 3 10:00 x",               // a number without the month character
      "Jan  5  1600 x",
      "Jan  5  99999999999999 x",
      "Jan 99999999999 2008 x",
  };
  for (const std::string& field : fields) {
    ListDate d = ParseListDate(field, kDecember2026);
    EXPECT_EQ(d.fileTime, 0u) << field;
    EXPECT_FALSE(d.timeOfDay) << field;
  }
}
