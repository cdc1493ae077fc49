#include "base/barlayout_win.h"

#include <commctrl.h>

BarLayout ReadBarLayout(HWND rebar, uint32_t flags) {
  BarLayout layout;
  layout.flags = flags;
  int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_ID | RBBIM_SIZE | RBBIM_STYLE;
    if (!SendMessageA(rebar, RB_GETBANDINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&band))) continue;
    layout.bands.push_back({band.wID, static_cast<int32_t>(band.cx), (band.fStyle & RBBS_BREAK) ? kBandNewRow : 0u});
  }
  return layout;
}
