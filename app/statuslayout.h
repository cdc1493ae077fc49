// Widths of the status bar's five parts: the action text takes what the
// other four leave, but never less than 4 pixels.
#ifndef VORTO_APP_STATUSLAYOUT_H
#define VORTO_APP_STATUSLAYOUT_H

#include <array>

constexpr int kStatusParts = 5;
constexpr int kSecurePartWidth = 24;

// `textWidths` are the measured widths of parts 1, 2 and 4 (8 pixels of
// margin are added here); `reserve` is what part 0 leaves to the window's
// edge. Returns the right edge of each part, the last one -1 (to the end).
std::array<int, kStatusParts> StatusPartEdges(int clientWidth, int selectedWidth, int connectionsWidth,
                                              int elapsedWidth, int reserve);

#endif
