#include "engine/transferrules.h"

#include <cctype>

#include "engine/transferpaths.h"
#include "profiles/profile.h"

namespace {
bool SameLetter(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Iterative match with one backtrack point: linear in practice and never
// recursive, so a hostile name cannot exhaust the stack.
bool MatchOne(std::string_view name, std::string_view pattern) {
  size_t n = 0, p = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || SameLetter(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
}  // namespace

bool MatchesNamePattern(std::string_view name, std::string_view pattern) {
  while (true) {
    size_t cut = pattern.find(';');
    std::string_view one = pattern.substr(0, cut);
    while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
    if (!one.empty() && MatchOne(name, one)) return true;
    if (cut == std::string_view::npos) return false;
    pattern.remove_prefix(cut + 1);
  }
}

bool NameInPatterns(std::string_view name, const std::vector<std::string>& patterns) {
  for (const std::string& p : patterns)
    if (MatchesNamePattern(name, p)) return true;
  return false;
}

bool HiddenByFilter(std::string_view name, bool folder, std::string_view mask) {
  if (folder || mask.empty() || mask == "*.*") return false;
  return !MatchesNamePattern(name, mask);
}

bool SetsPermissionAfterUpload(int mode, std::string_view name, const std::vector<std::string>& permissionTypes) {
  if (mode == 1) return true;
  return mode == 2 && ExtensionInList(BaseName(name), permissionTypes);
}

bool IsTextTransfer(std::string_view path, int mode, const std::vector<std::string>& textTypes) {
  return IsAsciiTransfer(BaseName(path), mode, textTypes);
}
