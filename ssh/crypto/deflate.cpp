#include "ssh/crypto/deflate.h"

#include <array>

#include "ssh/crypto/deflate_tables.h"
#include "ssh/crypto/huffman_build.h"

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

// One LZ77 output: a literal (distance 0) or a match.
struct Token {
    uint16_t value;  // literal byte or match length
    uint16_t distance;
};

// Code lengths and codes of one block's two alphabets.
struct BlockCodes {
    uint8_t lit_len[288];
    uint16_t lit_code[288];
    uint8_t dist_len[30];
    uint16_t dist_code[30];
};

void FixedBlockCodes(BlockCodes& c) {
    for (int i = 0; i < 288; ++i) c.lit_len[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    for (int i = 0; i < 30; ++i) c.dist_len[i] = 5;
    CanonicalCodes(c.lit_len, 288, c.lit_code);
    CanonicalCodes(c.dist_len, 30, c.dist_code);
}

// The run-length form of the code lengths in a dynamic block header: each
// entry is a code-length symbol (0-18) and its extra bits.
struct LengthRun {
    uint8_t symbol;
    uint8_t extra;
};

std::vector<LengthRun> RunLengths(const uint8_t* lengths, int n) {
    std::vector<LengthRun> runs;
    for (int i = 0; i < n;) {
        int run = 1;
        while (i + run < n && lengths[i + run] == lengths[i]) ++run;
        if (lengths[i] == 0 && run >= 3) {
            int take = std::min(run, 138);
            runs.push_back(take >= 11 ? LengthRun{18, uint8_t(take - 11)} : LengthRun{17, uint8_t(take - 3)});
            i += take;
        } else if (lengths[i] != 0 && run >= 4) {
            runs.push_back({lengths[i], 0});
            int take = std::min(run - 1, 6);
            runs.push_back({16, uint8_t(take - 3)});
            i += 1 + take;
        } else {
            runs.push_back({lengths[i], 0});
            ++i;
        }
    }
    return runs;
}

constexpr uint8_t kLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A dynamic block's header, ready to write, and its size in bits.
struct DynamicHeader {
    int hlit, hdist, hclen;
    std::vector<LengthRun> runs;
    uint8_t cl_len[19];
    uint16_t cl_code[19];
    uint64_t bits;
};

DynamicHeader MakeHeader(const BlockCodes& c) {
    DynamicHeader h;
    h.hlit = 286;
    while (h.hlit > 257 && c.lit_len[h.hlit - 1] == 0) --h.hlit;
    h.hdist = 30;
    while (h.hdist > 1 && c.dist_len[h.hdist - 1] == 0) --h.hdist;
    uint8_t all[286 + 30];
    std::copy(c.lit_len, c.lit_len + h.hlit, all);
    std::copy(c.dist_len, c.dist_len + h.hdist, all + h.hlit);
    h.runs = RunLengths(all, h.hlit + h.hdist);
    uint32_t freq[19] = {};
    for (const LengthRun& r : h.runs) ++freq[r.symbol];
    BuildCodeLengths(freq, 19, 7, h.cl_len);
    CanonicalCodes(h.cl_len, 19, h.cl_code);
    h.hclen = 19;
    while (h.hclen > 4 && h.cl_len[kLengthOrder[h.hclen - 1]] == 0) --h.hclen;
    h.bits = 5 + 5 + 4 + 3 * uint64_t(h.hclen);
    static const int kRunExtra[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
    for (const LengthRun& r : h.runs) h.bits += h.cl_len[r.symbol] + kRunExtra[r.symbol];
    return h;
}

void WriteHeader(ZlibCompressor& z, const DynamicHeader& h, std::vector<uint8_t>& out) {
    PutBits(z, uint32_t(h.hlit - 257), 5, out);
    PutBits(z, uint32_t(h.hdist - 1), 5, out);
    PutBits(z, uint32_t(h.hclen - 4), 4, out);
    for (int i = 0; i < h.hclen; ++i) PutBits(z, h.cl_len[kLengthOrder[i]], 3, out);
    for (const LengthRun& r : h.runs) {
        PutCode(z, h.cl_code[r.symbol], h.cl_len[r.symbol], out);
        if (r.symbol == 16) PutBits(z, r.extra, 2, out);
        else if (r.symbol == 17) PutBits(z, r.extra, 3, out);
        else if (r.symbol == 18) PutBits(z, r.extra, 7, out);
    }
}

// Bits of the tokens' codes (extra bits are the same under any code).
uint64_t CodeBits(const BlockCodes& c, const uint32_t* lit_freq, const uint32_t* dist_freq) {
    uint64_t bits = 0;
    for (int i = 0; i < 286; ++i) bits += uint64_t(lit_freq[i]) * c.lit_len[i];
    for (int i = 0; i < 30; ++i) bits += uint64_t(dist_freq[i]) * c.dist_len[i];
    return bits;
}

// Writes the tokens as one block with whichever of the fixed and a
// dynamic code is smaller, then the flush point.
void EncodeBlock(ZlibCompressor& z, const std::vector<Token>& tokens, std::vector<uint8_t>& out) {
    uint32_t lit_freq[288] = {}, dist_freq[30] = {};
    for (const Token& t : tokens) {
        if (t.distance == 0) {
            ++lit_freq[t.value];
        } else {
            ++lit_freq[257 + kLengthIndex[t.value]];
            ++dist_freq[DistanceIndex(t.distance)];
        }
    }
    lit_freq[256] = 1;

    BlockCodes fixed, dynamic;
    FixedBlockCodes(fixed);
    BuildCodeLengths(lit_freq, 286, 15, dynamic.lit_len);
    dynamic.lit_len[286] = dynamic.lit_len[287] = 0;
    BuildCodeLengths(dist_freq, 30, 15, dynamic.dist_len);
    CanonicalCodes(dynamic.lit_len, 288, dynamic.lit_code);
    CanonicalCodes(dynamic.dist_len, 30, dynamic.dist_code);
    DynamicHeader header = MakeHeader(dynamic);
    bool use_dynamic = header.bits + CodeBits(dynamic, lit_freq, dist_freq) < CodeBits(fixed, lit_freq, dist_freq);
    const BlockCodes& c = use_dynamic ? dynamic : fixed;

    PutBits(z, 0, 1, out);  // not the final block
    PutBits(z, use_dynamic ? 2 : 1, 2, out);
    if (use_dynamic) WriteHeader(z, header, out);
    for (const Token& t : tokens) {
        if (t.distance == 0) {
            PutCode(z, c.lit_code[t.value], c.lit_len[t.value], out);
            continue;
        }
        int li = kLengthIndex[t.value];
        PutCode(z, c.lit_code[257 + li], c.lit_len[257 + li], out);
        if (kLengthExtra[li]) PutBits(z, uint32_t(t.value - kLengthBase[li]), kLengthExtra[li], out);
        int di = DistanceIndex(t.distance);
        PutCode(z, c.dist_code[di], c.dist_len[di], out);
        if (kDistExtra[di]) PutBits(z, uint32_t(t.distance - kDistBase[di]), kDistExtra[di], out);
    }
    PutCode(z, c.lit_code[256], c.lit_len[256], out);  // end of block
    // Flush point: an empty stored block leaves the stream byte-aligned and
    // everything before it decodable.
    PutBits(z, 0, 3, out);
    AlignToByte(z, out);
    out.insert(out.end(), {0x00, 0x00, 0xff, 0xff});
}

// LZ77 over the new bytes, matching into the whole window.
void CompressBlock(ZlibCompressor& z, size_t start, std::vector<uint8_t>& out) {
    std::vector<Token> tokens;
    size_t end = z.history.size();
    auto literal = [&](size_t pos) { tokens.push_back({z.history[pos], 0}); };
    auto match = [&](int length, int distance) { tokens.push_back({uint16_t(length), uint16_t(distance)}); };
    for (size_t pos = start; pos < end;) {
        int distance = 0, length = LongestMatch(z, pos, end, distance);
        // One step of lazy matching: a longer match at the next byte wins.
        if (length > 0 && length < 32 && pos + 1 < end) {
            Insert(z, pos);
            int next_distance = 0, next_length = LongestMatch(z, pos + 1, end, next_distance);
            if (next_length > length) {
                literal(pos);
                ++pos;
                continue;
            }
            for (size_t i = 1; i < size_t(length); ++i) Insert(z, pos + i);
            match(length, distance);
            pos += length;
            continue;
        }
        if (length > 0) {
            for (size_t i = 0; i < size_t(length); ++i) Insert(z, pos + i);
            match(length, distance);
            pos += length;
        } else {
            Insert(z, pos);
            literal(pos);
            ++pos;
        }
    }
    EncodeBlock(z, tokens, out);
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
