// Known faults of particular server versions, recognised from the software
// version the server announces, so the connection can work around them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ssh/sshsettings.h"

namespace vorto::ssh {

enum SshQuirk : uint32_t {
    kQuirkSsh1Ignore = 0x01,         // chokes on IGNORE messages
    kQuirkSsh2Hmac = 0x02,           // HMAC-SHA1 keyed with only 16 bytes
    kQuirkSsh1PlainPassword = 0x04,  // needs the password without padding tricks
    kQuirkSsh1Rsa = 0x08,            // can't do RSA authentication
    kQuirkSsh2RsaPadding = 0x10,     // wants RSA signatures padded to the modulus
    kQuirkSsh2DeriveKey = 0x20,      // key derivation leaves out the shared secret
    kQuirkSsh2DhGex = 0x40,          // can't do Diffie-Hellman group exchange
    kQuirkSsh2PkSessionId = 0x80,    // public-key authentication session-id fault
};

// The quirks a server has by its software version alone (the text after
// "SSH-<protocol>-").
uint32_t DetectQuirks(std::string_view software_version);

// The detected quirks as the settings adjust them: a setting forced on sets
// its flag whatever the version says, one forced off clears it.
uint32_t ApplyQuirkSettings(uint32_t detected, const SshSettings& settings);

// The short name of one flag ("ignore1", "hmac2", ...), "" for any other value.
const char* QuirkName(uint32_t flag);

// The event-log line of each set flag, in the order they are checked.
std::vector<const char*> QuirkLogLines(uint32_t flags);

}  // namespace vorto::ssh
