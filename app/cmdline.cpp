#include "app/cmdline.h"

#include "base/textbuf.h"

std::string_view SkipProgramName(std::string_view text) {
  size_t i = 0;
  if (!text.empty() && text[0] == '"') {
    size_t close = text.find('"', 1);
    i = close == std::string_view::npos ? text.size() : close + 1;
  } else {
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
  }
  return text.substr(i);
}

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (true) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i >= text.size()) break;
    std::string token;
    bool quoted = false;
    while (i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t'))) {
      if (text[i] == '\\') {
        size_t slashes = 0;
        while (i < text.size() && text[i] == '\\') ++slashes, ++i;
        if (i < text.size() && text[i] == '"') {
          token.append(slashes / 2, '\\');
          if (slashes % 2) token += '"', ++i;
        } else {
          token.append(slashes, '\\');
        }
        continue;
      }
      if (text[i] == '"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
          token += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      token += text[i++];
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

CommandLine ParseCommandLine(const std::vector<std::string>& tokens) {
  CommandLine cl;
  bool profileNext = false;
  for (const std::string& token : tokens) {
    if (!token.empty() && (token[0] == '/' || token[0] == '-')) {
      std::string_view sw = std::string_view(token).substr(1);
      if (EqualsNoCase(sw, "c")) profileNext = true;
      else if (sw == "?") cl.help = true;
      continue;  // other switches are ignored
    }
    // A name or address that does not fit is refused whole rather than cut
    // into another name.
    if (profileNext) {
      profileNext = false;
      if (CopyTextWhole(cl.profile, token)) cl.mode = kCmdProfile;
      else cl.refusedLongToken = true;
    } else {
      if (CopyTextWhole(cl.address, token)) cl.mode = kCmdAddress;
      else cl.refusedLongToken = true;
    }
  }
  return cl;
}
