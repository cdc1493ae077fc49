// Base64 (RFC 4648) decoding for the text key files, one line at a time.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vorto::ssh {

// Decodes groups of four characters and appends the bytes to `out`. A
// group may end in "=" or "==". False (with `out` partly extended) when the
// length is not a multiple of four or a character is not in the alphabet.
bool Base64DecodeAppend(std::string_view text, std::vector<uint8_t>& out);

}  // namespace vorto::ssh
