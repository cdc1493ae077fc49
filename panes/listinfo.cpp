#include "panes/listinfo.h"

const ColumnSpec kColumnSpecs[kColumnCount] = {
    {267, 160, false}, {268, 70, true}, {269, 100, false}, {270, 120, false}, {293, 30, false}, {294, 30, false},
};

namespace {
int32_t ReadInt(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void WriteInt(std::vector<uint8_t>& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
}  // namespace

ListInfo DefaultListInfo() {
  ListInfo info;
  for (int i = 0; i < kColumnCount; ++i) info.widths[i] = kColumnSpecs[i].width;
  info.sortKey = 0;
  return info;
}

bool DecodeListInfo(const uint8_t* data, size_t size, ListInfo& out) {
  if (!data || size != kListInfoSize) return false;
  ListInfo info;
  for (int i = 0; i < kColumnCount; ++i) info.widths[i] = ReadInt(data + 4 * i);
  info.sortKey = ReadInt(data + 4 * kColumnCount);
  // A stored key names a column this program knows, or it sorts by name.
  const SortKeyParts key = SplitSortKey(info.sortKey);
  if (key.column < 0 || key.column >= kColumnCount) info.sortKey = 0;
  out = info;
  return true;
}

std::vector<uint8_t> EncodeListInfo(const ListInfo& info) {
  std::vector<uint8_t> out;
  out.reserve(kListInfoSize);
  for (int i = 0; i < kColumnCount; ++i) WriteInt(out, info.widths[i]);
  WriteInt(out, info.sortKey);
  return out;
}

int32_t ClampColumnWidth(int32_t width) {
  if (width < kMinColumnWidth) return kMinColumnWidth;
  if (width > kMaxColumnWidth) return kMaxColumnWidth;
  return width;
}

std::vector<int> VisibleColumns(const ListInfo& info, int offered) {
  std::vector<int> visible;
  for (int id = 0; id < offered && id < kColumnCount; ++id)
    if (id == kColumnName || info.widths[id] != kHiddenColumn) visible.push_back(id);
  return visible;
}

size_t ColumnInsertPosition(const std::vector<int>& visible, int id) {
  for (size_t i = 0; i < visible.size(); ++i)
    if (visible[i] > id) return i;
  return visible.size();
}
