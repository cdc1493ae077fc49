#include "engine/transferpaths.h"

#include <cctype>
#include <cstdio>

namespace {
bool IsDeviceName(std::string_view name) {
  // The device names apply with any extension ("nul.txt" is the device too).
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  std::string upper;
  for (char c : stem) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
      upper == "CONOUT$")
    return true;
  return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
         upper[3] >= '1' && upper[3] <= '9';
}
}  // namespace

bool IsSafeLocalName(std::string_view name, LeadByteTest isLeadByte) {
  if (name.empty() || name.size() >= kPathCapacity) return false;
  if (name.find_first_not_of(". ") == std::string_view::npos) return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (isLeadByte && c >= 0x80 && isLeadByte(c)) {
      // The second byte of a double-byte character may look like "\";
      // one at the very end would swallow the separator that follows.
      if (++i >= name.size()) return false;
      if (static_cast<unsigned char>(name[i]) < 0x40) return false;
      continue;
    }
    if (c < 0x20 || c == 0x7F) return false;
    switch (c) {
      case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        return false;
      default:
        break;
    }
  }
  return !IsDeviceName(name);
}

bool IsSafeServerName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || c == '/') return false;
  }
  return true;
}

static int Join(std::string_view folder, std::string_view name, char separator, std::string& out) {
  out.clear();
  const bool needSeparator = !folder.empty() && folder.back() != separator;
  const size_t length = folder.size() + (needSeparator ? 1 : 0) + name.size();
  if (length >= kPathCapacity) return kPathTooLong;
  out.reserve(length);
  out.append(folder);
  if (needSeparator) out.push_back(separator);
  out.append(name);
  return 0;
}

int JoinLocalPath(std::string_view folder, std::string_view name, std::string& out, LeadByteTest isLeadByte) {
  if (!IsSafeLocalName(name, isLeadByte)) {
    out.clear();
    return kPathBadName;
  }
  return Join(folder, name, '\\', out);
}

int JoinServerPath(std::string_view folder, std::string_view name, std::string& out) {
  if (!IsSafeServerName(name)) {
    out.clear();
    return kPathBadName;
  }
  return Join(folder, name, '/', out);
}

std::string_view BaseName(std::string_view path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string ParentPath(std::string_view path, char separator) {
  size_t cut = path.rfind(separator);
  if (cut == std::string_view::npos) return std::string();
  if (cut == 0 && separator == '/') return "/";
  return std::string(path.substr(0, cut));
}

bool FreeEditName(std::string_view path, const std::function<bool(const std::string&)>& exists, std::string& out) {
  out.assign(path);
  if (path.size() >= kPathCapacity) return false;
  if (!exists(out)) return true;
  const size_t nameStart = path.size() - BaseName(path).size();
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && dot >= nameStart;
  std::string_view stem = hasExtension ? path.substr(0, dot) : path;
  std::string_view extension = hasExtension ? path.substr(dot) : std::string_view();
  for (unsigned n = 1; n < 100000; ++n) {
    char number[12];
    std::snprintf(number, sizeof number, "%u", n);
    out.assign(stem);
    out.append(number);
    out.append(extension);
    if (out.size() >= kPathCapacity) return false;
    if (!exists(out)) return true;
  }
  return false;
}
