// The column table of the panes and the stored list layout
// ("LocalListInfo", "ServerListInfo"): seven little-endian 32-bit integers,
// the widths of column ids 0-5 (-1 for a hidden column) and the sort key.
#ifndef VORTO_PANES_LISTINFO_H
#define VORTO_PANES_LISTINFO_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "panes/panesort.h"

constexpr size_t kListInfoSize = 28;
constexpr int32_t kHiddenColumn = -1;
constexpr int32_t kMinColumnWidth = 10;
constexpr int32_t kMaxColumnWidth = 10000;

struct ColumnSpec {
  unsigned titleId;  // string in the resource library
  int32_t width;     // default width
  bool rightAligned;
};
extern const ColumnSpec kColumnSpecs[kColumnCount];

struct ListInfo {
  int32_t widths[kColumnCount];
  int32_t sortKey;
};

ListInfo DefaultListInfo();
// False (and `out` untouched) unless the value is exactly 28 bytes.
bool DecodeListInfo(const uint8_t* data, size_t size, ListInfo& out);
std::vector<uint8_t> EncodeListInfo(const ListInfo& info);

int32_t ClampColumnWidth(int32_t width);

// Column ids shown in details view, ascending: every offered id (the first
// `offered`) whose width is not -1; the name column always.
std::vector<int> VisibleColumns(const ListInfo& info, int offered);

// Where a hidden column goes when shown again: before the first visible
// column with a greater id, else at the end.
size_t ColumnInsertPosition(const std::vector<int>& visible, int id);

#endif
