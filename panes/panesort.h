// The order of a pane's entries: folders before files, then by the sort
// column. The sort key is a column id for ascending order and the bitwise
// complement of the id for descending order, which reverses everything,
// the folder rule included.
#ifndef VORTO_PANES_PANESORT_H
#define VORTO_PANES_PANESORT_H

#include "engine/fileentry.h"

// Column ids of the panes.
enum PaneColumn {
  kColumnName = 0,
  kColumnSize = 1,
  kColumnType = 2,
  kColumnTime = 3,
  kColumnPermissions = 4,
  kColumnOwner = 5,
  kColumnCount = 6,
};

using NameCompare = int (*)(const char* a, const char* b);

struct SortKeyParts {
  int column;
  bool descending;
};

SortKeyParts SplitSortKey(int sortKey);

// The key after the user picks `column` (a header click or a sort
// command): the column it already sorts by flips, any other sorts
// ascending.
int NextSortKey(int current, int column);

// Negative, zero or positive like strcmp. `typeA` and `typeB` are the type
// texts of the two entries and are only read when sorting by type.
int CompareEntries(const FileEntry& a, const FileEntry& b, int sortKey, NameCompare names, const char* typeA,
                   const char* typeB);

#endif
