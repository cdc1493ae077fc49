// The compressing half of an SSH "zlib" stream: one zlib stream (RFC 1950)
// for the whole connection, each packet's output ending at a flush point
// (byte-aligned, empty stored block) so that the peer can decompress the
// packet completely on its own. Back-references may reach into earlier
// packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorto::crypto {

struct ZlibCompressor {
    bool header_written = false;
    bool store_next = false;  // the next packet goes as stored blocks
    std::vector<uint8_t> history;  // the last 32 KiB of input, then the packet being compressed
    std::vector<int32_t> head;     // per hash: latest position in history, or -1
    std::vector<int32_t> prev;     // per position modulo the window: the previous one of its hash
    uint64_t bit_buffer = 0;
    int bit_count = 0;
};

void ZlibCompressorStart(ZlibCompressor& z);
// Appends the compressed form of one packet to `out`.
void ZlibCompress(ZlibCompressor& z, const uint8_t* data, size_t length, std::vector<uint8_t>& out);
// Sends the next packet uncompressed (as stored blocks), so its compressed
// length is its length plus a known overhead, which is returned: the bytes
// added per 65535 bytes of packet.
int ZlibDisableNextCompression(ZlibCompressor& z);

}  // namespace vorto::crypto
