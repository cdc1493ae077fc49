// The stored layout of a bar (rebar): which bands, in which order, how wide,
// and whether each starts a new row. Little-endian 32-bit words: tag,
// count, flags, reserved, then four words per band (id, width, style,
// reserved).
#ifndef VORTO_BASE_BARLAYOUT_H
#define VORTO_BASE_BARLAYOUT_H

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kBarLayoutTag = 0x00FFF000;
constexpr uint32_t kBarTitlesShown = 1;
constexpr uint32_t kBarsLocked = 2;
constexpr uint32_t kBandNewRow = 1;

struct BandLayout {
  uint32_t id = 0;
  int32_t width = 0;
  uint32_t style = 0;
};

struct BarLayout {
  uint32_t flags = 0;
  std::vector<BandLayout> bands;
};

// False (and `out` untouched) for another tag, a short value, or a count
// that the value's size does not hold.
bool DecodeBarLayout(const uint8_t* data, size_t size, BarLayout& out);
std::vector<uint8_t> EncodeBarLayout(const BarLayout& layout);
// The main bar's layout when none is stored.
BarLayout DefaultMainBarLayout();

#endif
