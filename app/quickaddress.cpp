#include "app/quickaddress.h"

#include <algorithm>

#include "base/textbuf.h"

namespace {
// "1".."65535" gives the number; anything else 0.
int PortNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return 0;
  int port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    port = port * 10 + (c - '0');
  }
  return port <= 65535 ? port : 0;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Splits "name:port" and "[address]:port". A name with several colons is a
// bare IPv6 address and keeps them all; a colon followed by anything but
// digits is left in the name, as a host text it was always.
bool SplitHostPort(std::string_view host, QuickAddress& out) {
  if (!host.empty() && host.front() == '[') {
    size_t close = host.find(']');
    if (close == std::string_view::npos || close == 1) return false;
    std::string_view rest = host.substr(close + 1);
    out.serverName = std::string(host.substr(1, close - 1));
    if (rest.empty()) return true;
    if (rest.front() != ':') return false;
    out.port = PortNumber(rest.substr(1));
    return out.port != 0;
  }
  size_t colon = host.find(':');
  if (colon != std::string_view::npos && colon == host.rfind(':') && AllDigits(host.substr(colon + 1))) {
    out.serverName = std::string(host.substr(0, colon));
    out.port = PortNumber(host.substr(colon + 1));
    return out.port != 0 && !out.serverName.empty();
  }
  out.serverName = std::string(host);
  return true;
}
}  // namespace

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
  return !out.host.empty() && SplitHostPort(out.host, out);
}

void MoveToTopOfHistory(std::vector<std::string>& history, const std::string& entry, size_t limit) {
  history.erase(std::remove(history.begin(), history.end(), entry), history.end());
  history.insert(history.begin(), entry);
  if (history.size() > limit) history.resize(limit);
}
