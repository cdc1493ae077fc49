#include "base/barlayout.h"

namespace {
uint32_t Word(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Put(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

bool DecodeBarLayout(const uint8_t* data, size_t size, BarLayout& out) {
  if (!data || size < 16 || Word(data) != kBarLayoutTag) return false;
  uint32_t count = Word(data + 4);
  if (count > (size - 16) / 16) return false;
  BarLayout layout;
  layout.flags = Word(data + 8);
  for (uint32_t k = 0; k < count; ++k) {
    const uint8_t* band = data + 16 + 16 * static_cast<size_t>(k);
    layout.bands.push_back({Word(band), static_cast<int32_t>(Word(band + 4)), Word(band + 8)});
  }
  out = layout;
  return true;
}

std::vector<uint8_t> EncodeBarLayout(const BarLayout& layout) {
  std::vector<uint8_t> out;
  Put(out, kBarLayoutTag);
  Put(out, static_cast<uint32_t>(layout.bands.size()));
  Put(out, layout.flags);
  Put(out, 0);
  for (const BandLayout& b : layout.bands) {
    Put(out, b.id);
    Put(out, static_cast<uint32_t>(b.width));
    Put(out, b.style);
    Put(out, 0);
  }
  return out;
}

BarLayout DefaultMainBarLayout() {
  BarLayout layout;
  layout.flags = kBarTitlesShown;
  layout.bands = {{512, 600, 0}, {274, 56, 0}, {276, 330, kBandNewRow}, {275, 150, 0}};
  return layout;
}
