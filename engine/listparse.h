// Parser for the text of an FTP "LIST -alL" reply: Unix-style lines,
// including the Japanese date forms, into FileEntry records.
//
// Server text is untrusted. A line the parser cannot read, or whose name
// could not be used safely as one path component, is skipped; nothing is
// ever cut into a different name. An entry name is never empty, ".", "..",
// made only of dots and blanks, 260 bytes or longer, and never contains
// "/", "\" or a control byte (below 0x20, or 0x7F). In a double-byte code
// page the second byte of a character may be 0x5C without being "\"; the
// caller passes the code page's lead-byte test so such names are kept.
#ifndef VORTO_ENGINE_LISTPARSE_H
#define VORTO_ENGINE_LISTPARSE_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/fileentry.h"
#include "engine/listdate.h"

enum class ListLineKind {
  NotFile = 0,
  File = 1,
  Total = 2,
};

// The columns of one listing line, as views into that line.
struct ListLineFields {
  std::string_view owner;
  std::string_view size;  // starts at the size digits; runs to the date
  std::string_view date;  // from the month to the end of the line
  std::string_view name;  // to the end of the line; a link still carries " -> target"
};

// Splits one line (without its line end). Also used for the long names of
// SFTP listings, which have the same columns.
ListLineKind SplitListLine(std::string_view line, ListLineFields& fields);

// True for a "total" line, in English or Japanese (Shift-JIS or EUC-JP).
bool IsTotalLine(std::string_view line);

// Converts a server wall-clock file time to UTC by the profile's time
// zone; the Windows layer passes ServerTimeToUtc.
using ServerTimeToUtcFn = uint64_t (*)(uint64_t fileTime, int32_t timeZone);
// The pane's name filter; true keeps the name.
using NameFilterFn = bool (*)(const char* name, void* context);
// True for the first byte of a two-byte character in the text's code page.
using LeadByteFn = bool (*)(unsigned char byte);

struct ListParseOptions {
  ListClock now;                  // current UTC year and month
  bool hideDotFiles = false;      // skip names beginning with "."
  int32_t timeZone = 0;           // the profile's time zone, passed to toUtc
  ServerTimeToUtcFn toUtc = nullptr;  // null: times of day stay server-local
  NameFilterFn filter = nullptr;  // null: keep every name
  void* filterContext = nullptr;
  LeadByteFn isLeadByte = nullptr;  // null: a single-byte code page
};

struct ListParseResult {
  // The listing cannot be trusted (empty, or without a "." or ".." line):
  // the list was emptied and the caller enumerates the directory instead.
  bool fallback = false;
  size_t entries = 0;       // entries appended
  size_t skippedLines = 0;  // non-empty lines that were neither entries nor "total", ".", ".."
};

// Parses the whole reply and appends its entries to `list`. Lines end at
// any "\r" or "\n"; a reply without line ends is one line.
ListParseResult ParseListing(std::string_view text, const ListParseOptions& options,
                             std::vector<FileEntry>& list);

// The name rule above, for other listings that take names from a server.
bool IsSafeEntryName(std::string_view name, LeadByteFn isLeadByte = nullptr);

#endif
