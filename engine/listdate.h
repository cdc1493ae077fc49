// The date column of a Unix-style directory listing ("Jan  5  2008",
// "Oct 12 10:00", and the Japanese forms in Shift-JIS and EUC-JP) turned
// into a file time (100 ns units since 1601-01-01).
#ifndef VORTO_ENGINE_LISTDATE_H
#define VORTO_ENGINE_LISTDATE_H

#include <cstdint>
#include <string_view>

// The current UTC year and month (1-12). A listing line with a time of day
// has no year; it is taken from here, so callers pass the clock in and
// tests stay deterministic.
struct ListClock {
  int year = 1970;
  int month = 1;
};

// The UTC year and month of a Unix time in seconds.
ListClock ListClockAt(int64_t unixSeconds);

struct ListDate {
  // 0 when the column could not be read or names no valid date.
  uint64_t fileTime = 0;
  // True for the "Mon dd hh:mm" forms: the time is the server's wall
  // clock and still needs the profile's time-zone conversion. A date
  // with a year is stored as 23:59:59.999 of that day and is not
  // converted.
  bool timeOfDay = false;
};

// Reads the date column starting at the first byte of `field` (the text
// from the month to the end of the line). Never reads outside `field`.
ListDate ParseListDate(std::string_view field, ListClock now);

// A calendar time to a file time, with the same limits as the Windows
// conversion: years 1601-30827 and every field in its range, days checked
// against the month. False, and `fileTime` untouched, when out of range.
bool CivilToFileTime(int year, int month, int day, int hour, int minute, int second,
                     int millisecond, uint64_t& fileTime);

#endif
