#include "engine/listdate.h"

#include <cstddef>

namespace {

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = 86400 * kTicksPerSecond;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kDays1601To1970 = 134774;

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (era arithmetic,
// valid for every year the callers allow).
int64_t DaysFromCivil(int64_t y, int month, int day) {
  y -= month <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// A cursor over the field: reading past its end yields 0, like reading the
// terminator of a C string, so short or cut columns need no special paths.
struct FieldCursor {
  std::string_view text;
  size_t at = 0;

  unsigned char ByteAt(size_t offset) const {
    size_t i = at + offset;
    return i < text.size() && i >= at ? static_cast<unsigned char>(text[i]) : 0;
  }
  void Advance(size_t n) { at = n > text.size() - at ? text.size() : at + n; }
};

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Reads a decimal number at the cursor after optional blanks. At most
// `maxDigits` digits count; a longer run makes the number invalid (-1).
// No digits gives 0. The cursor does not move.
int ReadNumber(const FieldCursor& c, size_t offset, int maxDigits) {
  size_t i = offset;
  while (c.ByteAt(i) == ' ') ++i;
  int value = 0;
  int digits = 0;
  for (; IsDigit(c.ByteAt(i)); ++i) {
    if (++digits > maxDigits) return -1;
    value = value * 10 + (c.ByteAt(i) - '0');
  }
  return value;
}

}  // namespace

bool CivilToFileTime(int year, int month, int day, int hour, int minute, int second,
                     int millisecond, uint64_t& fileTime) {
  if (year < 1601 || year > 30827 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  if (millisecond < 0 || millisecond > 999) return false;
  const int64_t days = DaysFromCivil(year, month, day) + kDays1601To1970;
  const int64_t seconds = int64_t{hour} * 3600 + minute * 60 + second;
  fileTime = static_cast<uint64_t>(days * kTicksPerDay + seconds * kTicksPerSecond +
                                   int64_t{millisecond} * 10000);
  return true;
}

ListClock ListClockAt(int64_t unixSeconds) {
  int64_t days = unixSeconds / 86400;
  if (unixSeconds % 86400 < 0) --days;
  // Inverse of DaysFromCivil.
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  ListClock clock;
  clock.year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
  clock.month = month;
  return clock;
}

ListDate ParseListDate(std::string_view field, ListClock now) {
  ListDate result;
  FieldCursor c{field};

  // Month: an English abbreviation, or a number followed by the Japanese
  // month character (Shift-JIS 8C 8E, EUC-JP B7 EE).
  int month = 0;
  for (int m = 0; m < 12 && month == 0; ++m)
    if (field.substr(0, 3) == kMonthNames[m]) month = m + 1;
  if (month != 0) {
    c.Advance(4);
  } else {
    size_t digits = 0;
    while (digits < 3 && IsDigit(c.ByteAt(digits))) ++digits;
    if (digits == 0 || digits > 2) return result;
    month = ReadNumber(c, 0, 2);
    if (month < 1 || month > 12) return result;
    const unsigned char mark = c.ByteAt(digits);
    if (mark != 0x8C && mark != 0x8E && mark != 0xB7) return result;
    c.Advance(digits + (mark == 0xB7 ? 3 : 2));
  }

  // Day, then the column after it; a Japanese day character (Shift-JIS
  // 93 FA, EUC-JP C6 FC) adds two bytes.
  const int day = ReadNumber(c, 0, 2);
  c.Advance(3);
  const unsigned char afterDay = c.ByteAt(0);
  if (afterDay == 0x93 || afterDay == 0xFA || afterDay == 0x81 || afterDay == 0xFC) c.Advance(2);

  // "hh:mm" (colon two to four bytes on, so blanks before the hour are
  // allowed) or a year.
  size_t colon = 0;
  for (size_t pos : {size_t{4}, size_t{3}, size_t{2}})
    if (colon == 0 && c.ByteAt(pos) == ':') colon = pos;

  if (colon != 0) {
    int hour = 0;
    size_t start = colon >= 2 ? colon - 2 : 0;
    while (start < colon && c.ByteAt(start) == ' ') ++start;
    for (size_t i = start; i < colon; ++i) {
      if (!IsDigit(c.ByteAt(i))) { hour = -1; break; }
      hour = hour * 10 + (c.ByteAt(i) - '0');
    }
    if (start == colon) hour = -1;
    int minute = 0;
    size_t minuteDigits = 0;
    while (minuteDigits < 2 && IsDigit(c.ByteAt(colon + 1 + minuteDigits))) {
      minute = minute * 10 + (c.ByteAt(colon + 1 + minuteDigits) - '0');
      ++minuteDigits;
    }
    if (minuteDigits == 0) return result;
    const int year = month > now.month ? now.year - 1 : now.year;
    if (CivilToFileTime(year, month, day, hour, minute, 0, 0, result.fileTime))
      result.timeOfDay = true;
    return result;
  }

  const int year = ReadNumber(c, 0, 5);
  CivilToFileTime(year, month, day, 23, 59, 59, 999, result.fileTime);
  return result;
}
