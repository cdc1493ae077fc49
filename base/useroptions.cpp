#include "base/useroptions.h"

UserOptions& Options() {
  static UserOptions options;
  return options;
}
