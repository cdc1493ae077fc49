// Codecs of the two versioned binary lists kept in the settings store:
// the external tool list ("Tools") and the tool shortcut list ("PIKT").
// Layout: 32-bit version tag, 32-bit entry count, entries back to back.
// Strings are a 32-bit count of UTF-16 code units and the units, with no
// terminating zero. All integers are little-endian.
#ifndef VORTO_BASE_BINLIST_H
#define VORTO_BASE_BINLIST_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kToolListTag = 0x00FF0800;
constexpr uint32_t kShortcutListTag = 0x00FF0900;

struct StoredTool {
  std::u16string title, command, arguments, directory, iconFile;
  int32_t iconIndex = 0;
  uint32_t flags = 0;
};

struct StoredShortcut {
  uint16_t flags = 0;
  uint16_t key = 0;
  std::u16string title;
};

// Both decoders trust nothing: a wrong tag yields an empty list, and a count
// or string length that runs past the end of the value stops reading there
// (the entries read so far are kept).
std::vector<StoredTool> DecodeToolList(const uint8_t* data, size_t size);
std::vector<uint8_t> EncodeToolList(const std::vector<StoredTool>& tools);
// Size the writer must produce for `tools`: 8 bytes of header, then per
// entry 28 bytes of counts and integers plus two bytes per code unit.
size_t MeasureToolList(const std::vector<StoredTool>& tools);

// Shortcut entries whose title count is not 1..259 are dropped; reading
// continues behind them.
std::vector<StoredShortcut> DecodeShortcutList(const uint8_t* data, size_t size);
std::vector<uint8_t> EncodeShortcutList(const std::vector<StoredShortcut>& shortcuts);

#endif
