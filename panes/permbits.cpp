#include "panes/permbits.h"

#include <cstdio>

namespace {
// Reads the nine permission letters after the type letter into bits
// (owner read = bit 8) and the special bits (04000, 02000, 01000).
bool ReadMode(std::string_view text, unsigned& bits, unsigned& special) {
  bits = special = 0;
  if (text.size() < 10) return false;
  static const char kLetters[3] = {'r', 'w', 'x'};
  for (int i = 0; i < 9; ++i) {
    const char c = text[1 + i];
    const unsigned bit = 1u << (8 - i);
    const int kind = i % 3;
    if (c == '-') continue;
    if (c == kLetters[kind]) {
      bits |= bit;
    } else if (kind == 2 && (c == 's' || c == 'S' || c == 't' || c == 'T')) {
      if (c == 's' || c == 't') bits |= bit;
      special |= i < 3 ? 04000u : i < 6 ? 02000u : 01000u;
    } else {
      return false;
    }
  }
  return true;
}
}  // namespace

std::string ModeAfterBoxes(std::string_view permissions, const int (&boxes)[9]) {
  bool allSet = true;
  for (int box : boxes)
    if (box == kBoxLeave) allSet = false;
  unsigned bits = 0, special = 0;
  const bool known = ReadMode(permissions, bits, special);
  if (!known && !allSet) return "";
  unsigned after = known ? bits : 0;
  for (int i = 0; i < 9; ++i) {
    const unsigned bit = 1u << (8 - i);
    if (boxes[i] == kBoxOn) after |= bit;
    else if (boxes[i] == kBoxOff) after &= ~bit;
  }
  if (known && after == bits) return "";
  char text[8];
  if (special) snprintf(text, sizeof text, "%o", special | after);
  else snprintf(text, sizeof text, "%03o", after);
  return text;
}
