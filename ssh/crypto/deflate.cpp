#include "ssh/crypto/deflate.h"

#include <array>

#include "ssh/crypto/deflate_tables.h"

namespace vorto::crypto {

namespace {

using namespace deflate;

constexpr int kHashBits = 15;
constexpr int kMaxChain = 64;  // candidates tried per position: speed against ratio
constexpr size_t kStoredMax = 65535;

// Length 3..258 to its code index (symbol 257 + index).
constexpr std::array<uint8_t, 259> MakeLengthIndex() {
    std::array<uint8_t, 259> t{};
    int idx = 0;
    for (int len = 3; len <= 258; ++len) {
        while (idx < 28 && len >= kLengthBase[idx + 1]) ++idx;
        t[len] = uint8_t(idx);
    }
    return t;
}

constexpr auto kLengthIndex = MakeLengthIndex();

int DistanceIndex(int distance) {
    int idx = 0;
    while (idx < 29 && distance >= kDistBase[idx + 1]) ++idx;
    return idx;
}

void PutBits(ZlibCompressor& z, uint32_t value, int count, std::vector<uint8_t>& out) {
    z.bit_buffer |= uint64_t(value) << z.bit_count;
    z.bit_count += count;
    while (z.bit_count >= 8) {
        out.push_back(uint8_t(z.bit_buffer));
        z.bit_buffer >>= 8;
        z.bit_count -= 8;
    }
}

void AlignToByte(ZlibCompressor& z, std::vector<uint8_t>& out) {
    if (z.bit_count > 0) PutBits(z, 0, 8 - z.bit_count, out);
}

// Huffman codes go most significant bit first into the LSB-first stream.
void PutCode(ZlibCompressor& z, uint32_t code, int length, std::vector<uint8_t>& out) {
    uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1) << (length - 1 - i);
    PutBits(z, reversed, length, out);
}

// The fixed literal/length code of RFC 1951, section 3.2.6.
void PutLiteralOrLength(ZlibCompressor& z, int symbol, std::vector<uint8_t>& out) {
    if (symbol < 144) PutCode(z, 0x30 + symbol, 8, out);
    else if (symbol < 256) PutCode(z, 0x190 + (symbol - 144), 9, out);
    else if (symbol < 280) PutCode(z, symbol - 256, 7, out);
    else PutCode(z, 0xc0 + (symbol - 280), 8, out);
}

void PutMatch(ZlibCompressor& z, int length, int distance, std::vector<uint8_t>& out) {
    int li = kLengthIndex[length];
    PutLiteralOrLength(z, 257 + li, out);
    if (kLengthExtra[li]) PutBits(z, uint32_t(length - kLengthBase[li]), kLengthExtra[li], out);
    int di = DistanceIndex(distance);
    PutCode(z, uint32_t(di), 5, out);
    if (kDistExtra[di]) PutBits(z, uint32_t(distance - kDistBase[di]), kDistExtra[di], out);
}

uint32_t Hash(const uint8_t* p) {
    return ((uint32_t(p[0]) << 10) ^ (uint32_t(p[1]) << 5) ^ p[2]) & ((1u << kHashBits) - 1);
}

// Positions are indexes into `history`; the table values are shifted with
// it when old bytes are dropped.
void Insert(ZlibCompressor& z, size_t pos) {
    if (pos + kMinMatch > z.history.size()) return;
    uint32_t h = Hash(&z.history[pos]);
    z.prev[pos % kWindow] = z.head[h];
    z.head[h] = int32_t(pos);
}

void DropOldHistory(ZlibCompressor& z) {
    if (z.history.size() <= kWindow) return;
    size_t drop = z.history.size() - kWindow;
    // Shift by a multiple of the window so that the prev slots stay put.
    drop -= drop % kWindow;
    if (drop == 0) return;
    z.history.erase(z.history.begin(), z.history.begin() + drop);
    auto shift = [drop](int32_t& v) { v = v >= int32_t(drop) ? v - int32_t(drop) : -1; };
    for (int32_t& v : z.head) shift(v);
    for (int32_t& v : z.prev) shift(v);
}

int LongestMatch(const ZlibCompressor& z, size_t pos, size_t end, int& distance) {
    int best = 0;
    int limit = int(std::min<size_t>(kMaxMatch, end - pos));
    if (limit < kMinMatch) return 0;
    const uint8_t* here = &z.history[pos];
    int32_t candidate = z.head[Hash(here)];
    for (int chain = 0; chain < kMaxChain && candidate >= 0; ++chain) {
        size_t c = size_t(candidate);
        if (c >= pos || pos - c > kWindow) break;
        const uint8_t* there = &z.history[c];
        if (there[best] == here[best]) {
            int len = 0;
            while (len < limit && there[len] == here[len]) ++len;
            if (len > best) {
                best = len;
                distance = int(pos - c);
                if (len == limit) break;
            }
        }
        int32_t next = z.prev[c % kWindow];
        if (next >= candidate) break;
        candidate = next;
    }
    return best >= kMinMatch ? best : 0;
}

void CompressBlock(ZlibCompressor& z, size_t start, std::vector<uint8_t>& out) {
    PutBits(z, 0, 1, out);  // not the final block
    PutBits(z, 1, 2, out);  // fixed Huffman codes
    size_t end = z.history.size();
    for (size_t pos = start; pos < end;) {
        int distance = 0, length = LongestMatch(z, pos, end, distance);
        // One step of lazy matching: a longer match at the next byte wins.
        if (length > 0 && length < 32 && pos + 1 < end) {
            Insert(z, pos);
            int next_distance = 0, next_length = LongestMatch(z, pos + 1, end, next_distance);
            if (next_length > length) {
                PutLiteralOrLength(z, z.history[pos], out);
                ++pos;
                continue;
            }
            for (size_t i = 1; i < size_t(length); ++i) Insert(z, pos + i);
            PutMatch(z, length, distance, out);
            pos += length;
            continue;
        }
        if (length > 0) {
            for (size_t i = 0; i < size_t(length); ++i) Insert(z, pos + i);
            PutMatch(z, length, distance, out);
            pos += length;
        } else {
            Insert(z, pos);
            PutLiteralOrLength(z, z.history[pos], out);
            ++pos;
        }
    }
    PutLiteralOrLength(z, 256, out);  // end of block
    // Flush point: an empty stored block leaves the stream byte-aligned and
    // everything before it decodable.
    PutBits(z, 0, 3, out);
    AlignToByte(z, out);
    out.insert(out.end(), {0x00, 0x00, 0xff, 0xff});
}

void StoreBlocks(ZlibCompressor& z, size_t start, std::vector<uint8_t>& out) {
    size_t end = z.history.size();
    do {
        size_t n = std::min(kStoredMax, end - start);
        PutBits(z, 0, 3, out);  // not final, stored
        AlignToByte(z, out);
        out.insert(out.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        out.insert(out.end(), z.history.begin() + start, z.history.begin() + start + n);
        for (size_t i = start; i < start + n; ++i) Insert(z, i);
        start += n;
    } while (start < end);
}

}  // namespace

void ZlibCompressorStart(ZlibCompressor& z) {
    z = ZlibCompressor{};
    z.head.assign(size_t(1) << kHashBits, -1);
    z.prev.assign(kWindow, -1);
}

void ZlibCompress(ZlibCompressor& z, const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    if (!z.header_written) {
        out.push_back(0x78);  // deflate, 32 KiB window
        out.push_back(0x9c);  // default level, no dictionary; header is a multiple of 31
        z.header_written = true;
    }
    DropOldHistory(z);
    size_t start = z.history.size();
    z.history.insert(z.history.end(), data, data + length);
    // The last bytes of the previous packet can start matches now.
    for (size_t back = std::min<size_t>(kMinMatch - 1, start); back >= 1; --back) Insert(z, start - back);
    if (z.store_next) {
        z.store_next = false;
        StoreBlocks(z, start, out);
    } else {
        CompressBlock(z, start, out);
    }
}

int ZlibDisableNextCompression(ZlibCompressor& z) {
    z.store_next = true;
    return z.header_written ? 5 : 7;
}

}  // namespace vorto::crypto
