// Parses arbitrary bytes as a LIST reply and checks what every entry may
// hold: a safe, terminated name, terminated text fields, one of the three
// attribute values and a non-negative size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/listparse.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool KeepEvenLengths(const char* name, void*) { return std::strlen(name) % 2 == 0; }

uint64_t ShiftNineHours(uint64_t t, int32_t) { return t - 9 * 36000000000ULL; }

bool Within(std::string_view part, std::string_view whole) {
  return part.empty() || (part.data() >= whole.data() &&
                          part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the options; the rest is the reply.
  const uint8_t choice = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  ListParseOptions options;
  options.now = ListClock{2026, 1 + choice % 12};
  options.hideDotFiles = (choice & 0x10) != 0;
  options.isLeadByte = (choice & 0x20) ? ShiftJisLead : nullptr;
  options.filter = (choice & 0x40) ? KeepEvenLengths : nullptr;
  options.toUtc = (choice & 0x80) ? ShiftNineHours : nullptr;

  std::vector<FileEntry> list;
  const ListParseResult result = ParseListing(text, options, list);
  Check(list.size() == result.entries);
  Check(!result.fallback || list.empty());
  for (const FileEntry& e : list) {
    Check(std::memchr(e.name, 0, sizeof e.name) != nullptr);
    Check(std::memchr(e.permissions, 0, sizeof e.permissions) != nullptr);
    Check(std::memchr(e.owner, 0, sizeof e.owner) != nullptr);
    Check(IsSafeEntryName(e.name, options.isLeadByte));
    Check(!options.hideDotFiles || e.name[0] != '.');
    Check(e.attributes == kAttrDirectory || e.attributes == kAttrNormal || e.attributes == kAttrSymlink);
    Check(e.size >= 0);
    Check(e.viewSlot[0] == kNoViewSlot && e.viewSlot[1] == kNoViewSlot && e.cutMark == 0);
  }

  // The splitter and the date parser on the whole input as one line.
  ListLineFields fields;
  if (SplitListLine(text, fields) == ListLineKind::File) {
    Check(Within(fields.owner, text) && Within(fields.size, text));
    Check(Within(fields.date, text) && Within(fields.name, text));
  }
  ParseListDate(text, options.now);
  return 0;
}
