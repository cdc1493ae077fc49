// The decompressing half of an SSH "zlib" stream. Input arrives packet by
// packet; a packet may end anywhere in the bit stream (the peer only
// promises that everything the packet carries can be decoded), so the
// decoder keeps undecoded bits and its block state between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorto::crypto {

// The most one packet may expand to; a larger result is refused rather than
// allocated (the protocol's packets are far smaller).
constexpr size_t kZlibMaxPacketOutput = 256 * 1024;

struct HuffmanCode {
    uint16_t count[16];   // number of codes of each length
    uint16_t symbol[288]; // symbols ordered by code
};

struct ZlibDecompressor {
    enum class Stage { kHeader, kBlockHeader, kStored, kCodes, kTrailer, kFailed };
    Stage stage = Stage::kHeader;
    bool last_block = false;
    size_t stored_left = 0;
    size_t trailer_left = 4;
    std::vector<uint8_t> input;  // bytes not yet decoded
    size_t bit_pos = 0;          // bits of input[0..] already decoded
    HuffmanCode literals{}, distances{};
    std::vector<uint8_t> window;  // the last 32 KiB of output
};

void ZlibDecompressorStart(ZlibDecompressor& z);
// Decodes as much as the stream so far allows and appends it to `out`.
// False on a malformed stream or an oversized packet; the decompressor then
// stays failed.
bool ZlibDecompress(ZlibDecompressor& z, const uint8_t* data, size_t length, std::vector<uint8_t>& out);

}  // namespace vorto::crypto
