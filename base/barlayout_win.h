// Reads the bands of a rebar (the main bar or a pane's) as a stored layout.
#ifndef VORTO_BASE_BARLAYOUT_WIN_H
#define VORTO_BASE_BARLAYOUT_WIN_H

#include <windows.h>

#include <cstdint>

#include "base/barlayout.h"

// The bands of `rebar` in display order, with `flags` as the layout's flags.
BarLayout ReadBarLayout(HWND rebar, uint32_t flags);

#endif
