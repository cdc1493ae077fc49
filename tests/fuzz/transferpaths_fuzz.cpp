// Arbitrary server names joined under a local folder: a joined path is the
// folder, one separator and one plain component, never longer than the
// path buffers; the wildcard match of the exclusion lists ends on any
// pattern.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/transferpaths.h"
#include "engine/transferrules.h"

static bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool doubleByte = data[0] & 1;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t cut = input.find('\0');
  std::string_view name = input.substr(0, cut);
  std::string_view pattern = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);

  const std::string folder = "C:\\target";
  std::string out;
  if (JoinLocalPath(folder, name, out, doubleByte ? ShiftJisLead : nullptr) == 0) {
    if (out.size() >= kPathCapacity || out.compare(0, folder.size() + 1, folder + "\\") != 0) std::abort();
    std::string_view rest = std::string_view(out).substr(folder.size() + 1);
    if (rest != name || rest == "." || rest == ".." || rest.find(':') != std::string_view::npos) std::abort();
    if (!doubleByte && (rest.find('\\') != std::string_view::npos || rest.find('/') != std::string_view::npos))
      std::abort();
  }
  if (JoinServerPath("/pub", name, out) == 0) {
    std::string_view rest = std::string_view(out).substr(5);
    if (rest.find('/') != std::string_view::npos || rest.find('\r') != std::string_view::npos ||
        rest.find('\n') != std::string_view::npos)
      std::abort();
  }
  MatchesNamePattern(name, pattern);
  return 0;
}
