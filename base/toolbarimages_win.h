// The image lists of the command and tools toolbars: three lists (normal,
// hot, disabled) at 16 or 24 pixels and one of three colour levels, chosen
// by "LargeToolbar" and "ColorToolbar". Indexes 0..19 are the program's
// glyphs; the external tools' icons follow from index 20.
#ifndef VORTO_BASE_TOOLBARIMAGES_WIN_H
#define VORTO_BASE_TOOLBARIMAGES_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "base/tools_win.h"

struct ToolbarImageOptions {
  bool large = true;
  int colorLevel = 2;  // 0: 16 colours, 1: 256 colours, 2: true colour
};

ToolbarImageOptions ReadToolbarImageOptions();
void WriteToolbarImageOptions(const ToolbarImageOptions& options);
// What the display supports best.
int DisplayColorLevel();
bool ColorLevel2Available();

// (Re)creates the normal, hot and disabled lists, with the icons of
// `tools` after the glyphs.
bool CreateToolbarImages(const ToolbarImageOptions& options, const std::vector<ExternalTool>& tools);
HIMAGELIST ToolbarImages();
HIMAGELIST HotToolbarImages();
HIMAGELIST DisabledToolbarImages();
void DestroyToolbarImages();
void AttachToolbarImages(HWND toolbar);

#endif
