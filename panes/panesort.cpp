#include "panes/panesort.h"

#include <cstring>

namespace {
int Sign(int v) { return (v > 0) - (v < 0); }

template <typename T> int Order(T a, T b) { return (a > b) - (a < b); }
}  // namespace

SortKeyParts SplitSortKey(int sortKey) {
  if (sortKey < 0) return {~sortKey, true};
  return {sortKey, false};
}

int NextSortKey(int current, int column) { return current == column ? ~column : column; }

int CompareEntries(const FileEntry& a, const FileEntry& b, int sortKey, NameCompare names, const char* typeA,
                   const char* typeB) {
  const SortKeyParts key = SplitSortKey(sortKey);
  int result = 0;
  const bool folderA = IsDirectoryEntry(a), folderB = IsDirectoryEntry(b);
  if (folderA != folderB) {
    result = folderA ? -1 : 1;
  } else {
    switch (key.column) {
      case kColumnName: result = names ? names(a.name, b.name) : std::strcmp(a.name, b.name); break;
      // Sizes are unsigned: a size above 2^63 (from a hostile or odd
      // server) still sorts after smaller ones.
      // Folders show no size, so none orders them.
      case kColumnSize:
        result = folderA ? 0 : Order(static_cast<uint64_t>(a.size), static_cast<uint64_t>(b.size));
        break;
      case kColumnType: result = std::strcmp(typeA ? typeA : "", typeB ? typeB : ""); break;
      case kColumnTime: result = Order(a.modified, b.modified); break;
      case kColumnPermissions: result = std::strncmp(a.permissions, b.permissions, sizeof a.permissions); break;
      case kColumnOwner: result = std::strncmp(a.owner, b.owner, sizeof a.owner); break;
      default: result = 0; break;
    }
    result = Sign(result);
  }
  return key.descending ? -result : result;
}
