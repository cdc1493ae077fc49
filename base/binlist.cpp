#include "base/binlist.h"

namespace {

// Reads little-endian fields and refuses to step past the end.
struct Reader {
  const uint8_t* p;
  size_t left;

  bool U16(uint16_t& v) {
    if (left < 2) return false;
    v = static_cast<uint16_t>(p[0] | (p[1] << 8));
    p += 2, left -= 2;
    return true;
  }
  bool U32(uint32_t& v) {
    if (left < 4) return false;
    v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
        (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    p += 4, left -= 4;
    return true;
  }
  // The count is checked against the bytes that remain before anything is
  // allocated, so a forged count cannot ask for gigabytes.
  bool Units(uint32_t count, std::u16string& s) {
    if (count > left / 2) return false;
    s.resize(count);
    for (uint32_t i = 0; i < count; ++i) s[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    p += 2 * static_cast<size_t>(count), left -= 2 * static_cast<size_t>(count);
    return true;
  }
  bool String(std::u16string& s) {
    uint32_t count;
    return U32(count) && Units(count, s);
  }
};

struct Writer {
  std::vector<uint8_t>& out;
  void U16(uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void String(const std::u16string& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char16_t c : s) U16(static_cast<uint16_t>(c));
  }
};

bool ReadHeader(Reader& r, uint32_t tag, uint32_t& count) {
  uint32_t stored;
  return r.U32(stored) && stored == tag && r.U32(count);
}

}  // namespace

std::vector<StoredTool> DecodeToolList(const uint8_t* data, size_t size) {
  std::vector<StoredTool> tools;
  Reader r{data, data ? size : 0};
  uint32_t count;
  if (!ReadHeader(r, kToolListTag, count)) return tools;
  for (uint32_t i = 0; i < count; ++i) {
    StoredTool t;
    uint32_t index, flags;
    if (!r.String(t.title) || !r.String(t.command) || !r.String(t.arguments) || !r.String(t.directory) ||
        !r.String(t.iconFile) || !r.U32(index) || !r.U32(flags))
      break;
    t.iconIndex = static_cast<int32_t>(index);
    t.flags = flags;
    tools.push_back(std::move(t));
  }
  return tools;
}

size_t MeasureToolList(const std::vector<StoredTool>& tools) {
  size_t size = 8;
  for (const StoredTool& t : tools)
    size += 28 + 2 * (t.title.size() + t.command.size() + t.arguments.size() + t.directory.size() + t.iconFile.size());
  return size;
}

std::vector<uint8_t> EncodeToolList(const std::vector<StoredTool>& tools) {
  std::vector<uint8_t> out;
  out.reserve(MeasureToolList(tools));
  Writer w{out};
  w.U32(kToolListTag);
  w.U32(static_cast<uint32_t>(tools.size()));
  for (const StoredTool& t : tools) {
    w.String(t.title);
    w.String(t.command);
    w.String(t.arguments);
    w.String(t.directory);
    w.String(t.iconFile);
    w.U32(static_cast<uint32_t>(t.iconIndex));
    w.U32(t.flags);
  }
  return out;
}

std::vector<StoredShortcut> DecodeShortcutList(const uint8_t* data, size_t size) {
  std::vector<StoredShortcut> list;
  Reader r{data, data ? size : 0};
  uint32_t count;
  if (!ReadHeader(r, kShortcutListTag, count)) return list;
  for (uint32_t i = 0; i < count; ++i) {
    StoredShortcut s;
    uint32_t units;
    if (!r.U16(s.flags) || !r.U16(s.key) || !r.U32(units) || !r.Units(units, s.title)) break;
    if (units >= 1 && units <= 259) list.push_back(std::move(s));
  }
  return list;
}

std::vector<uint8_t> EncodeShortcutList(const std::vector<StoredShortcut>& shortcuts) {
  std::vector<uint8_t> out;
  Writer w{out};
  w.U32(kShortcutListTag);
  w.U32(static_cast<uint32_t>(shortcuts.size()));
  for (const StoredShortcut& s : shortcuts) {
    w.U16(s.flags);
    w.U16(s.key);
    w.String(s.title);
  }
  return out;
}
