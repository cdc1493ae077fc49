#include "app/statuslayout.h"

std::array<int, kStatusParts> StatusPartEdges(int clientWidth, int selectedWidth, int connectionsWidth,
                                              int elapsedWidth, int reserve) {
  const int w1 = selectedWidth + 8, w2 = connectionsWidth + 8, w4 = elapsedWidth + 8;
  int w0 = clientWidth - w1 - w2 - kSecurePartWidth - w4 - reserve;
  if (w0 < 4) w0 = 4;
  std::array<int, kStatusParts> edges{};
  edges[0] = w0;
  edges[1] = edges[0] + w1;
  edges[2] = edges[1] + w2;
  edges[3] = edges[2] + kSecurePartWidth;
  edges[4] = -1;
  return edges;
}
