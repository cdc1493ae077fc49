// The host-key cache's naming and text forms: which registry value holds a
// server's key, and the conversion of the form older versions wrote for
// SSH-1 keys. The registry side lives in hostkeystore_win.
#pragma once

#include <string>
#include <string_view>

namespace vorto::ssh {

// Answers of the host-key check.
enum HostKeyStatus : int {
    kHostKeyMatches = 0,    // the cache holds exactly this key
    kHostKeyNotCached = 1,  // no key for this host, port and type
    kHostKeyChanged = 2,    // a different key is cached
};

// Key type names used in value names.
constexpr char kHostKeyTypeRsa2[] = "rsa2";
constexpr char kHostKeyTypeDss[] = "dss";
constexpr char kHostKeyTypeRsa1[] = "rsa";

// Percent-escapes the bytes that may not appear in a value name as such:
// space, '\', '*', '?', '%', controls, 127, bytes from 0x80, and a leading '.'.
std::string EscapeHostName(std::string_view host);

// "<type>@<port>:<escaped host>".
std::string HostKeyValueName(std::string_view key_type, unsigned port, std::string_view host);

// Older versions stored SSH-1 keys under the escaped host alone.
std::string OldHostKeyValueName(std::string_view host);

// Converts the old SSH-1 text, two numbers separated by '/', to the current
// "0x<exponent>,0x<modulus>" form. Each old number is a run of 32-bit words,
// least significant word first, eight digits per word with the two 16-bit
// halves swapped (low half first, each half most significant digit first).
// False on anything that is not exactly that shape.
bool ConvertOldRsaKeyText(std::string_view old_text, std::string& out);

}  // namespace vorto::ssh
