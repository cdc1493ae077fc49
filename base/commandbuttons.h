// Which commands can sit on a command toolbar, with the image each shows,
// and the buttons a toolbar starts with. Image indexes 0..19 are the
// program's own glyphs; external tools use their icon slot + 20, or 18
// when they have no icon.
#ifndef VORTO_BASE_COMMANDBUTTONS_H
#define VORTO_BASE_COMMANDBUTTONS_H

#include <cstdint>
#include <vector>

constexpr int kBuiltInImageCount = 20;
constexpr int kToolImageWithoutIcon = 18;
constexpr int kFirstToolImage = 20;
constexpr uint32_t kFirstCommandToolbar = 512;
constexpr uint32_t kLastCommandToolbar = 767;

struct CommandButton {
  uint16_t command;
  int image;
};

// Every built-in command offered by the toolbar customize dialog.
const std::vector<CommandButton>& CommandButtonCatalogue();
// The image of a command button, or -1 when the command has none.
int CommandButtonImage(uint16_t command);
// The built-in buttons of toolbar `id` (0 = separator): the main toolbar
// has the everyday set, every other toolbar starts empty.
std::vector<uint16_t> BuiltInToolbarButtons(uint32_t id);

// The default colour level of the toolbar images from what the display
// reports as its colour count (-1 for more than 256 colours).
int DefaultColorLevel(int displayColors, bool version51OrLater);

// The id a command toolbar gets after toolbar `removed` is taken away:
// every toolbar above it moves down by one.
uint32_t ToolbarIdAfterRemoval(uint32_t id, uint32_t removed);

#endif
