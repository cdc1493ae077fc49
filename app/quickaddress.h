// The quick-connect address: [sftp://|ftp://][user[:password]@]host, where
// the host may end in ":port" ("[IPv6 address]:port" for an IPv6 address).
#ifndef VORTO_APP_QUICKADDRESS_H
#define VORTO_APP_QUICKADDRESS_H

#include <string>
#include <string_view>
#include <vector>

struct QuickAddress {
  bool hasPrefix = false;  // "sftp://" or "ftp://" was given
  bool sftp = false;       // meaningful only with a prefix
  std::string host;         // as typed after the "@": what the history keeps
  std::string serverName;   // the host without its port or brackets
  int port = 0;             // 0 when the address names none
  std::string user;
  std::string password;
};

// False for an empty address, one of 260 characters or more, or one that
// names no host (only a prefix, or nothing after the "@"), or one whose
// port is not a number from 1 to 65535.
bool ParseQuickAddress(std::string_view text, QuickAddress& out);

// Puts `entry` at the top of `history`, dropping an exact duplicate and
// anything beyond `limit` entries.
void MoveToTopOfHistory(std::vector<std::string>& history, const std::string& entry, size_t limit = 64);

#endif
