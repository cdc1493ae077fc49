// The stored button layout of a command toolbar ("PIB<n>"): a 32-bit tag,
// a 32-bit button count, then per button a 16-bit command id (0 for a
// separator) and a string (32-bit count of UTF-16 units): the external
// tool's title for a tool button, empty for every other button.
#ifndef VORTO_APP_TOOLBARLAYOUT_H
#define VORTO_APP_TOOLBARLAYOUT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kToolbarLayoutTag = 0x00FF0401;
constexpr uint32_t kToolbarLayoutVersion = 4;  // "ToolBarVersion" the writer stores
constexpr uint16_t kFirstToolCommand = 12288;
constexpr uint16_t kLastToolCommand = 12543;

struct StoredButton {
  uint16_t command = 0;
  std::u16string toolTitle;  // only for tool buttons
};

// False for another tag or a value cut short; counts and string lengths
// are checked against the bytes that remain.
bool DecodeToolbarLayout(const uint8_t* data, size_t size, std::vector<StoredButton>& out);
std::vector<uint8_t> EncodeToolbarLayout(const std::vector<StoredButton>& buttons);

// Binds tool buttons to the current tools by exact title: the command
// becomes 12288 + the index of the first tool with that title; a button
// whose tool is gone is dropped.
std::vector<StoredButton> RebindToolButtons(const std::vector<StoredButton>& buttons,
                                            const std::vector<std::u16string>& toolTitles);

#endif
