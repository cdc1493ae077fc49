#include "base/toolbarimages_win.h"

#include <shellapi.h>

#include "app/appstate_win.h"
#include "base/commandbuttons.h"
#include "base/libreg_win.h"
#include "res/resource.h"

namespace {
UINT ColorFlag(int level) {
  switch (level) {
    case 0: return ILC_COLOR4;
    case 1: return ILC_COLOR8;
  }
  return ILC_COLOR24;
}

// One strip per size, colour level and state: normal, hot, disabled.
WORD StripId(const ToolbarImageOptions& options, int state) {
  return static_cast<WORD>(IDB_TOOLBAR_FIRST + (options.large ? 9 : 0) + options.colorLevel * 3 + state);
}

HIMAGELIST LoadStrip(const ToolbarImageOptions& options, int state) {
  int size = options.large ? 24 : 16;
  HIMAGELIST list = ImageList_Create(size, size, ILC_MASK | ColorFlag(options.colorLevel), kBuiltInImageCount, 8);
  if (!list) return nullptr;
  auto bitmap = static_cast<HBITMAP>(LoadImageA(ResourceLibrary(), MAKEINTRESOURCEA(StripId(options, state)), IMAGE_BITMAP,
                                                0, 0, LR_CREATEDIBSECTION));
  if (bitmap) {
    ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
    DeleteObject(bitmap);
  }
  if (ImageList_GetImageCount(list) < kBuiltInImageCount) {
    ImageList_Destroy(list);
    return nullptr;
  }
  return list;
}

// The tools' icons take the slots after the glyphs, in slot order; a tool
// whose icon cannot be read shows the generic tool glyph, so the slots of
// the tools after it stay where the tools bar expects them.
void AddToolIcons(HIMAGELIST list, bool large) {
  for (const ExternalTool& tool : gApp.tools) {
    if (tool.iconSlot < 0) continue;
    HICON icon = nullptr;
    if (large) ExtractIconExA(tool.iconFile, tool.iconIndex, &icon, nullptr, 1);
    else ExtractIconExA(tool.iconFile, tool.iconIndex, nullptr, &icon, 1);
    if (!icon) icon = ImageList_GetIcon(list, kToolImageWithoutIcon, ILD_NORMAL);
    if (icon) {
      ImageList_AddIcon(list, icon);
      DestroyIcon(icon);
    }
  }
}
}  // namespace

bool ColorLevel2Available() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&version);
#pragma GCC diagnostic pop
  return version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

int DisplayColorLevel() {
  HDC screen = GetDC(nullptr);
  int colors = screen ? GetDeviceCaps(screen, NUMCOLORS) : -1;
  if (screen) ReleaseDC(nullptr, screen);
  return DefaultColorLevel(colors, ColorLevel2Available());
}

ToolbarImageOptions ReadToolbarImageOptions() {
  ToolbarImageOptions options;
  HKEY key = OpenCommonKey(kKeyStartupRead);
  options.large = RegReadInt(key, "LargeToolbar", 1) != 0;
  int level = static_cast<int>(RegReadInt(key, "ColorToolbar", static_cast<DWORD>(DisplayColorLevel())));
  options.colorLevel = level >= 0 && level <= 2 ? level : DisplayColorLevel();
  if (key) RegCloseKey(key);
  return options;
}

void WriteToolbarImageOptions(const ToolbarImageOptions& options) {
  HKEY key = OpenCommonKey(0);
  RegWriteInt(key, "LargeToolbar", options.large ? 1 : 0);
  RegWriteInt(key, "ColorToolbar", static_cast<DWORD>(options.colorLevel));
  if (key) RegCloseKey(key);
}

void DestroyToolbarImages() {
  for (HIMAGELIST* list : {&ToolbarImages(), &HotToolbarImages(), &DisabledToolbarImages()}) {
    if (*list) ImageList_Destroy(*list);
    *list = nullptr;
  }
}

bool CreateToolbarImages(const ToolbarImageOptions& options) {
  DestroyToolbarImages();
  ToolbarImages() = LoadStrip(options, 0);
  HotToolbarImages() = LoadStrip(options, 1);
  DisabledToolbarImages() = LoadStrip(options, 2);
  // Without its own strip a state falls back to the normal images.
  if (!ToolbarImages()) {
    ToolbarImageOptions fallback = {false, 2};
    ToolbarImages() = LoadStrip(fallback, 0);
  }
  for (HIMAGELIST list : {ToolbarImages(), HotToolbarImages(), DisabledToolbarImages()})
    if (list) AddToolIcons(list, options.large);
  return ToolbarImages() != nullptr;
}

void AttachToolbarImages(HWND toolbar) {
  SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ToolbarImages()));
  SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(HotToolbarImages()));
  SendMessageA(toolbar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(DisabledToolbarImages()));
}
