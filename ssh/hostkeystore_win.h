// The host-key cache in the registry: one REG_SZ value per server, port and
// key type below Software\Ostravine\Vorto\SshHostKeys. Entries are only
// ever added.
#pragma once

#include <string_view>

#include "ssh/hostkeys.h"

namespace vorto::ssh {

// Looks the key up. Anything unreadable in the registry counts as not
// cached; a stored text that differs in any byte, or is longer, is a change.
// An SSH-1 key found only under its old value name is converted, and moved
// to the current name when it matches.
HostKeyStatus CheckHostKey(std::string_view host, unsigned port, std::string_view key_type,
                           std::string_view key_text);

// Writes the key, creating the cache key when needed. Returns whether it
// was written; callers may ignore a failure.
bool StoreHostKey(std::string_view host, unsigned port, std::string_view key_type, std::string_view key_text);

}  // namespace vorto::ssh
