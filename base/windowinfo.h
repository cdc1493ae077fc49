// Stored placement of the main window ("WindowInfo"): six little-endian
// 32-bit integers. A value of any other size is ignored.
#ifndef VORTO_BASE_WINDOWINFO_H
#define VORTO_BASE_WINDOWINFO_H

#include <array>
#include <cstddef>
#include <cstdint>

struct WindowInfo {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // normal rectangle, workspace coordinates
  int32_t showCmd = 0;
  int32_t splitter = 0;  // x of the splitter's centre in the client area
};

constexpr size_t kWindowInfoSize = 24;

bool DecodeWindowInfo(const uint8_t* data, size_t size, WindowInfo& out);
std::array<uint8_t, kWindowInfoSize> EncodeWindowInfo(const WindowInfo& info);

// The splitter stays at least 10 pixels away from either client edge.
int32_t ClampSplitter(int32_t x, int32_t clientWidth);

#endif
