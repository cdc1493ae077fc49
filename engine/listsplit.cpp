// Splitting one Unix-style listing line into its columns:
//   drwxr-xr-x   2 owner  group      4096 Jan  5  2008 name
// The date column is found by its month first, since owner, group and
// size columns vary between servers; when no month is recognised the
// columns are taken by position.
#include "engine/listparse.h"

namespace {

constexpr size_t kNone = std::string_view::npos;
// The date column is 12 bytes wide ("Jan  5  2008", "Oct 12 10:00");
// the name begins after the first blank at or past its end.
constexpr size_t kDateWidth = 12;

constexpr std::string_view kTotalWord = "total";
constexpr std::string_view kTotalShiftJis = "\x8D\x87\x8C\x76";
constexpr std::string_view kTotalEucJp = "\xB9\xE7\xB7\xD7";

// Month markers in the order they are tried: English abbreviations, then
// month numbers with the Japanese month character in Shift-JIS and in
// EUC-JP. Two-digit months come first so "11" is not read as "1".
constexpr std::string_view kMonthMarkers[] = {
    "Jan ", "Feb ", "Mar ", "Apr ", "May ", "Jun ", "Jul ", "Aug ", "Sep ", "Oct ", "Nov ", "Dec ",
    "10\x8C\x8E ", "11\x8C\x8E ", "12\x8C\x8E ", "1\x8C\x8E ", "2\x8C\x8E ", "3\x8C\x8E ",
    "4\x8C\x8E ", "5\x8C\x8E ", "6\x8C\x8E ", "7\x8C\x8E ", "8\x8C\x8E ", "9\x8C\x8E ",
    "10\xB7\xEE ", "11\xB7\xEE ", "12\xB7\xEE ", "1\xB7\xEE ", "2\xB7\xEE ", "3\xB7\xEE ",
    "4\xB7\xEE ", "5\xB7\xEE ", "6\xB7\xEE ", "7\xB7\xEE ", "8\xB7\xEE ", "9\xB7\xEE ",
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipBlanks(std::string_view s, size_t i) {
  while (i < s.size() && s[i] == ' ') ++i;
  return i;
}

size_t SkipDigits(std::string_view s, size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// A marker is a date only when the day follows it: a digit, or a blank
// and a digit.
bool MarkerStartsDate(std::string_view line, size_t at, size_t markerLength) {
  size_t i = at + markerLength;
  if (i < line.size() && IsDigit(line[i])) return true;
  return i + 1 < line.size() && line[i] == ' ' && IsDigit(line[i + 1]);
}

// True when blanks and then a digit come right before `at`: the size column.
bool FollowsNumber(std::string_view line, size_t at) {
  size_t i = at;
  while (i > 0 && line[i - 1] == ' ') --i;
  return i < at && i > 0 && IsDigit(line[i - 1]);
}

// The date column's start, or kNone. The earliest marker that follows the
// size column wins, so a file name such as "Jan 5 notes" is never taken
// for the date; without such a marker, the first marker in table order
// that starts a date.
size_t FindDateColumn(std::string_view line) {
  size_t afterNumber = kNone;
  size_t inTableOrder = kNone;
  for (std::string_view marker : kMonthMarkers) {
    size_t first = line.find(marker);
    if (inTableOrder == kNone && first != kNone && MarkerStartsDate(line, first, marker.size()))
      inTableOrder = first;
    for (size_t at = first; at != kNone && at < afterNumber; at = line.find(marker, at + 1)) {
      if (MarkerStartsDate(line, at, marker.size()) && FollowsNumber(line, at)) {
        afterNumber = at;
        break;
      }
    }
  }
  return afterNumber != kNone ? afterNumber : inTableOrder;
}

// Where the name begins for a date column at `date`: past the first blank
// at or after the column's width, and past the blanks there. kNone when
// the line ends inside the date column.
size_t NameStartAfterDate(std::string_view line, size_t date) {
  if (date > line.size() || line.size() - date < kDateWidth) return kNone;
  size_t i = date + kDateWidth;
  while (i < line.size() && line[i] != ' ') ++i;
  return SkipBlanks(line, i);
}

// The size column for a date column found by its month: the digits that
// end at the last non-blank byte before the date.
size_t SizeStartBeforeDate(std::string_view line, size_t date) {
  size_t i = date;
  while (i > 0 && line[i - 1] == ' ') --i;
  if (i == 0) return date;  // nothing before the date: no size
  size_t last = i - 1;
  while (last > 0 && IsDigit(line[last - 1])) --last;
  return last;
}

// Reads size, date and name by position from `token`, which must start
// the size digits. True when the name lies within the line.
bool ColumnsFromSize(std::string_view line, size_t token, size_t& date, size_t& name, bool& refused) {
  size_t end = SkipDigits(line, token);
  if (end == token || end >= line.size() || line[end] != ' ') {
    refused = true;
    return false;
  }
  date = SkipBlanks(line, end);
  name = NameStartAfterDate(line, date);
  return name != kNone && name < line.size();
}

}  // namespace

bool IsTotalLine(std::string_view line) {
  return line.starts_with(kTotalWord) || line.starts_with(kTotalShiftJis) ||
         line.starts_with(kTotalEucJp);
}

ListLineKind SplitListLine(std::string_view line, ListLineFields& fields) {
  fields = ListLineFields{};
  if (IsTotalLine(line)) return ListLineKind::Total;

  // Type and nine permission letters; checked first because it is cheap
  // and rejects most lines that are not entries.
  if (line.size() < 10) return ListLineKind::NotFile;
  for (size_t i = 0; i < 10; ++i)
    if (!((line[i] >= 'a' && line[i] <= 'z') || line[i] == '-')) return ListLineKind::NotFile;

  size_t date = FindDateColumn(line);
  size_t size = kNone;
  size_t name = kNone;
  if (date != kNone) {
    size = SizeStartBeforeDate(line, date);
    name = NameStartAfterDate(line, date);
  }

  // The byte after the permissions (blank, "+", "." ...), then the link count.
  size_t i = SkipDigits(line, SkipBlanks(line, 11));
  if (i >= line.size() || line[i] != ' ') return ListLineKind::NotFile;

  const size_t ownerStart = SkipBlanks(line, i);
  size_t ownerEnd = ownerStart;
  while (ownerEnd < line.size() && line[ownerEnd] != ' ' && line[ownerEnd] != '/') ++ownerEnd;
  fields.owner = line.substr(ownerStart, ownerEnd - ownerStart);

  if (date == kNone || name == kNone) {
    // By position: the first column after the owner that starts with a
    // digit is the size; failing that, the first column after the owner.
    if (ownerEnd >= line.size()) return ListLineKind::NotFile;
    const size_t afterOwner = SkipBlanks(line, ownerEnd + 1);
    bool refused = false;
    bool found = false;
    for (size_t t = afterOwner; t < line.size() && !found && !refused;) {
      if (IsDigit(line[t])) {
        size = t;
        found = ColumnsFromSize(line, t, date, name, refused);
        break;
      }
      while (t < line.size() && line[t] != ' ') ++t;
      t = SkipBlanks(line, t);
    }
    if (refused) return ListLineKind::NotFile;
    if (!found) {
      size = afterOwner;
      if (!ColumnsFromSize(line, afterOwner, date, name, refused)) return ListLineKind::NotFile;
    }
  }

  fields.size = size < date ? line.substr(size, date - size) : std::string_view{};
  fields.date = line.substr(date);
  fields.name = line.substr(name);
  return ListLineKind::File;
}
