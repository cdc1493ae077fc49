#include "base/windowinfo.h"

static int32_t ReadI32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

bool DecodeWindowInfo(const uint8_t* data, size_t size, WindowInfo& out) {
  if (!data || size != kWindowInfoSize) return false;
  out.left = ReadI32(data);
  out.top = ReadI32(data + 4);
  out.right = ReadI32(data + 8);
  out.bottom = ReadI32(data + 12);
  out.showCmd = ReadI32(data + 16);
  out.splitter = ReadI32(data + 20);
  return true;
}

std::array<uint8_t, kWindowInfoSize> EncodeWindowInfo(const WindowInfo& info) {
  std::array<uint8_t, kWindowInfoSize> out{};
  const int32_t fields[6] = {info.left, info.top, info.right, info.bottom, info.showCmd, info.splitter};
  for (int f = 0; f < 6; ++f)
    for (int b = 0; b < 4; ++b) out[4 * f + b] = static_cast<uint8_t>(static_cast<uint32_t>(fields[f]) >> (8 * b));
  return out;
}

int32_t ClampSplitter(int32_t x, int32_t clientWidth) {
  int32_t high = clientWidth - 10;
  if (x > high) x = high;
  if (x < 10) x = 10;
  return x;
}
