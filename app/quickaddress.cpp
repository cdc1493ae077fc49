#include "app/quickaddress.h"

#include <algorithm>

#include "base/textbuf.h"

bool ParseQuickAddress(std::string_view text, QuickAddress& out) {
  out = QuickAddress{};
  if (text.empty() || text.size() >= 260) return false;
  if (text.size() >= 7 && EqualsNoCase(text.substr(0, 7), "sftp://")) {
    out.hasPrefix = out.sftp = true;
    text.remove_prefix(7);
  } else if (text.size() >= 6 && EqualsNoCase(text.substr(0, 6), "ftp://")) {
    out.hasPrefix = true;
    text.remove_prefix(6);
  }
  size_t at = text.find('@');
  if (at == std::string_view::npos) {
    out.host = std::string(text);
  } else {
    std::string_view login = text.substr(0, at);
    out.host = std::string(text.substr(at + 1));
    size_t colon = login.find(':');
    out.user = std::string(login.substr(0, colon));
    if (colon != std::string_view::npos) out.password = std::string(login.substr(colon + 1));
  }
  // A user or password longer than its 79-character field would be cut
  // into something else; refuse the address instead.
  if (out.user.size() > 79 || out.password.size() > 79) return false;
  return !out.host.empty();
}

void MoveToTopOfHistory(std::vector<std::string>& history, const std::string& entry, size_t limit) {
  history.erase(std::remove(history.begin(), history.end(), entry), history.end());
  history.insert(history.begin(), entry);
  if (history.size() > limit) history.resize(limit);
}
