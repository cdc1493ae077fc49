#include "panes/panepaths.h"

#include <cctype>

namespace {
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && EqualNoCase(text.substr(text.size() - tail.size()), tail);
}

std::string Converted(std::string_view text, char from, char to) {
  std::string out(text);
  for (char& c : out)
    if (c == from) c = to;
  return out;
}
}  // namespace

bool JoinPanePath(std::string_view directory, std::string_view name, char separator, std::string& out) {
  std::string joined;
  if (name.find(separator) != std::string_view::npos) {
    joined = name;
  } else {
    joined = directory;
    if (joined.empty() || joined.back() != separator) joined += separator;
    joined += name;
  }
  if (joined.size() >= kPathCapacity) return false;
  out = joined;
  return true;
}

std::string RemoteParent(std::string_view path) {
  std::string copy(path);
  if (copy.size() > 1 && copy.back() == '/') copy.pop_back();
  size_t slash = copy.rfind('/');
  if (slash == std::string::npos) return copy;
  if (slash == 0) return "/";
  return copy.substr(0, slash);
}

bool MapSyncChange(std::string_view from, std::string_view to, char fromSeparator, std::string_view otherCurrent,
                   char otherSeparator, std::string& out) {
  if (EqualNoCase(from, to)) return false;
  const std::string_view& longer = from.size() > to.size() ? from : to;
  const size_t shorter = from.size() < to.size() ? from.size() : to.size();
  size_t differ = 0;
  while (differ < shorter && Lower(from[differ]) == Lower(to[differ])) ++differ;
  // The tails start at a component boundary, so "\img" maps onto
  // ".../img" but never onto the end of ".../bigimg": where one path
  // goes on below the other, or else at the separator before the first
  // difference.
  size_t cut;
  if (differ == shorter && longer[differ] == fromSeparator) {
    cut = differ;
  } else {
    cut = from.substr(0, differ).rfind(fromSeparator);
    if (cut == std::string_view::npos) return false;
  }
  const std::string oldTail = Converted(from.substr(cut), fromSeparator, otherSeparator);
  const std::string newTail = Converted(to.substr(cut), fromSeparator, otherSeparator);
  if (!EndsWithNoCase(otherCurrent, oldTail)) return false;
  std::string mapped(otherCurrent.substr(0, otherCurrent.size() - oldTail.size()));
  if (!mapped.empty() && mapped.back() == otherSeparator && !newTail.empty()) mapped.pop_back();
  mapped += newTail;
  if (mapped.empty()) mapped = std::string(1, otherSeparator);
  if (mapped.size() >= kPathCapacity) return false;
  out = mapped;
  return true;
}

bool IsPlainLocalName(std::string_view name) {
  if (name.empty() || name.size() >= kPathCapacity) return false;
  if (name.find_first_not_of(". ") == std::string_view::npos) return false;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}
