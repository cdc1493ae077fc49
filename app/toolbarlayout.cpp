#include "app/toolbarlayout.h"

namespace {
bool IsToolCommand(uint16_t command) { return command >= kFirstToolCommand && command <= kLastToolCommand; }

uint32_t Word(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

bool DecodeToolbarLayout(const uint8_t* data, size_t size, std::vector<StoredButton>& out) {
  if (!data || size < 8 || Word(data) != kToolbarLayoutTag) return false;
  uint32_t count = Word(data + 4);
  size_t pos = 8;
  std::vector<StoredButton> buttons;
  for (uint32_t i = 0; i < count; ++i) {
    if (size - pos < 6) return false;
    StoredButton b;
    b.command = static_cast<uint16_t>(data[pos] | (data[pos + 1] << 8));
    uint32_t units = Word(data + pos + 2);
    pos += 6;
    if (units > (size - pos) / 2) return false;
    for (uint32_t u = 0; u < units; ++u)
      b.toolTitle.push_back(static_cast<char16_t>(data[pos + 2 * u] | (data[pos + 2 * u + 1] << 8)));
    pos += 2 * static_cast<size_t>(units);
    buttons.push_back(std::move(b));
  }
  out = std::move(buttons);
  return true;
}

std::vector<uint8_t> EncodeToolbarLayout(const std::vector<StoredButton>& buttons) {
  std::vector<uint8_t> out;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  put32(kToolbarLayoutTag);
  put32(static_cast<uint32_t>(buttons.size()));
  for (const StoredButton& b : buttons) {
    out.push_back(static_cast<uint8_t>(b.command));
    out.push_back(static_cast<uint8_t>(b.command >> 8));
    const std::u16string& title = IsToolCommand(b.command) ? b.toolTitle : std::u16string();
    put32(static_cast<uint32_t>(title.size()));
    for (char16_t c : title) {
      out.push_back(static_cast<uint8_t>(c));
      out.push_back(static_cast<uint8_t>(c >> 8));
    }
  }
  return out;
}

std::vector<StoredButton> RebindToolButtons(const std::vector<StoredButton>& buttons,
                                            const std::vector<std::u16string>& toolTitles) {
  std::vector<StoredButton> out;
  for (const StoredButton& b : buttons) {
    if (!IsToolCommand(b.command)) {
      out.push_back(b);
      continue;
    }
    for (size_t i = 0; i < toolTitles.size() && i <= kLastToolCommand - kFirstToolCommand; ++i) {
      if (toolTitles[i] == b.toolTitle) {
        out.push_back({static_cast<uint16_t>(kFirstToolCommand + i), b.toolTitle});
        break;
      }
    }
  }
  return out;
}
