// Turning a whole LIST reply into entries. Lines are views into the
// reply; nothing is copied until an entry is filled.
#include "engine/listparse.h"

#include <limits>

#include "base/textbuf.h"

namespace {

constexpr std::string_view kLinkArrow = " -> ";
constexpr size_t kPermissionsLength = 11;

// The leading decimal digits as a 64-bit size. A number with more digits
// than 64 bits hold saturates at the largest size instead of wrapping.
bool ReadSize(std::string_view column, int64_t& size) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  size = 0;
  for (char c : column) {
    if (c < '0' || c > '9') break;
    const int digit = c - '0';
    if (size > (kMax - digit) / 10) {
      size = kMax;
      break;
    }
    size = size * 10 + digit;
  }
  return true;
}

uint32_t AttributesOf(char type) {
  if (type == 'd') return kAttrDirectory;
  if (type == 'l') return kAttrSymlink;
  return kAttrNormal;
}

std::string_view LinkName(std::string_view name) {
  const size_t arrow = name.find(kLinkArrow);
  return arrow == std::string_view::npos ? name : name.substr(0, arrow);
}

// Calls `onLine` for every non-empty line; a line ends at "\r" or "\n".
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) onLine(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

bool IsSafeEntryName(std::string_view name, LeadByteFn isLeadByte) {
  if (name.empty() || name.size() >= sizeof(FileEntry{}.name)) return false;
  // Only dots and blanks: ".", "..", and names the Windows file system
  // would shorten to them by dropping trailing dots and blanks.
  if (name.find_first_not_of(". ") == std::string_view::npos) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (isLeadByte && c >= 0x80 && isLeadByte(c)) {
      // A two-byte character. Its second byte may be 0x5C, but never
      // below 0x40 in any double-byte code page, so "/", dots and control
      // bytes stay refused. A lead byte at the end would swallow the
      // separator that a path appends after the name.
      if (++i >= name.size()) return false;
      const auto trail = static_cast<unsigned char>(name[i]);
      if (trail < 0x40 || trail == 0x7F) return false;
      continue;
    }
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

ListParseResult ParseListing(std::string_view text, const ListParseOptions& options,
                             std::vector<FileEntry>& list) {
  ListParseResult result;
  bool sawDotEntry = false;

  ForEachLine(text, [&](std::string_view line) {
    if (IsTotalLine(line)) return;
    ListLineFields fields;
    if (SplitListLine(line, fields) != ListLineKind::File) {
      ++result.skippedLines;
      return;
    }
    // "." and ".." are not shown, but they show that the listing is
    // complete: "LIST -a" was honoured and the reply was read to its end.
    if (fields.name == "." || fields.name == "..") {
      sawDotEntry = true;
      return;
    }
    if (options.hideDotFiles && fields.name.starts_with('.')) return;

    FileEntry entry;
    entry.attributes = AttributesOf(line[0]);
    const std::string_view name = line[0] == 'l' ? LinkName(fields.name) : fields.name;
    if (!IsSafeEntryName(name, options.isLeadByte) || !ReadSize(fields.size, entry.size) ||
        !CopyTextWhole(entry.name, name)) {
      ++result.skippedLines;
      return;
    }
    if (!IsDirectoryEntry(entry) && options.filter &&
        !options.filter(entry.name, options.filterContext))
      return;

    CopyText(entry.permissions, line.substr(0, kPermissionsLength));
    CopyText(entry.owner, fields.owner);
    const ListDate date = ParseListDate(fields.date, options.now);
    entry.modified = date.timeOfDay && options.toUtc ? options.toUtc(date.fileTime, options.timeZone)
                                                     : date.fileTime;
    list.push_back(entry);
    ++result.entries;
  });

  // Without "." or "..", a server may have ignored "-a" or cut the reply
  // short: such a listing is not trusted.
  if (text.empty() || !sawDotEntry) {
    list.clear();
    result.fallback = true;
    result.entries = 0;
  }
  return result;
}
