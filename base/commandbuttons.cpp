#include "base/commandbuttons.h"

#include "res/resource.h"

const std::vector<CommandButton>& CommandButtonCatalogue() {
  static const std::vector<CommandButton> catalogue = {
      {CMD_CONNECT, 0},      {CMD_DISCONNECT, 1},    {CMD_SITE_MANAGER, 4}, {CMD_MODE_AUTO, 5},
      {CMD_MODE_ASCII, 11},  {CMD_MODE_BINARY, 17},  {CMD_BACK, 14},        {CMD_FORWARD, 15},
      {CMD_UP, 2},           {CMD_REFRESH, 6},       {CMD_NEW_FOLDER, 10},  {CMD_NEW_FILE, 13},
      {CMD_DELETE, 7},       {CMD_RENAME, 16},       {CMD_PROPERTIES, 12},  {CMD_UPLOAD, 8},
      {CMD_DOWNLOAD, 9},     {CMD_SYNCHRONIZE, 3},   {CMD_EDIT, 19},
  };
  return catalogue;
}

int CommandButtonImage(uint16_t command) {
  for (const CommandButton& b : CommandButtonCatalogue())
    if (b.command == command) return b.image;
  return -1;
}

std::vector<uint16_t> BuiltInToolbarButtons(uint32_t id) {
  if (id != kFirstCommandToolbar) return {};
  return {CMD_CONNECT,    CMD_DISCONNECT, CMD_SITE_MANAGER, 0,          CMD_MODE_AUTO,  CMD_MODE_ASCII,
          CMD_MODE_BINARY, 0,             CMD_BACK,         CMD_FORWARD, CMD_UP,        CMD_REFRESH,
          0,              CMD_NEW_FOLDER, CMD_DELETE,       CMD_RENAME, CMD_PROPERTIES, 0,
          CMD_UPLOAD,     CMD_DOWNLOAD,   CMD_SYNCHRONIZE};
}

int DefaultColorLevel(int displayColors, bool version51OrLater) {
  if (displayColors == -1) return version51OrLater ? 2 : 1;
  return displayColors > 255 ? 1 : 0;
}

uint32_t ToolbarIdAfterRemoval(uint32_t id, uint32_t removed) { return id > removed ? id - 1 : id; }
