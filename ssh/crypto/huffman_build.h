// Building length-limited canonical Huffman codes for deflate blocks.
#pragma once

#include <cstdint>

namespace vorto::crypto {

// Code lengths of at most `max_bits` for `n` symbols with the given
// frequencies; unused symbols get 0. At least two symbols always get a code
// (unused ones are added when needed), so every code is complete, as strict
// decoders require.
void BuildCodeLengths(const uint32_t* frequencies, int n, int max_bits, uint8_t* lengths);
// The canonical codes of RFC 1951, section 3.2.2, most significant bit first.
void CanonicalCodes(const uint8_t* lengths, int n, uint16_t* codes);

}  // namespace vorto::crypto
