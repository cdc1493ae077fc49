// The image lists of the command and tools toolbars: three lists (normal,
// hot, disabled) at 16 or 24 pixels and one of three colour levels, chosen
// by "LargeToolbar" and "ColorToolbar". Indexes 0..19 are the program's
// glyphs; the external tools' icons follow from index 20.
#ifndef VORTO_BASE_TOOLBARIMAGES_WIN_H
#define VORTO_BASE_TOOLBARIMAGES_WIN_H

#include <windows.h>
#include <commctrl.h>

struct ToolbarImageOptions {
  bool large = true;
  int colorLevel = 2;  // 0: 16 colours, 1: 256 colours, 2: true colour
};

ToolbarImageOptions ReadToolbarImageOptions();
void WriteToolbarImageOptions(const ToolbarImageOptions& options);
// What the display supports best.
int DisplayColorLevel();
bool ColorLevel2Available();

// (Re)creates ToolbarImages(), hotToolbarImages and disabledToolbarImages.
bool CreateToolbarImages(const ToolbarImageOptions& options);
void DestroyToolbarImages();
void AttachToolbarImages(HWND toolbar);

#endif
