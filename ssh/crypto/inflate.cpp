#include "ssh/crypto/inflate.h"

#include <cstring>

#include "ssh/crypto/deflate_tables.h"

namespace vorto::crypto {

namespace {

using namespace deflate;
using Stage = ZlibDecompressor::Stage;

// Outcome of one decoding step: done; out of input in the middle of the
// step (it is undone and retried with the next packet); out of input after
// consuming what there was (stored data, the trailer); or malformed.
enum class Step { kDone, kMore, kWait, kBad };

struct Bits {
    const std::vector<uint8_t>& in;
    size_t pos;  // in bits

    bool Get(int count, uint32_t& value) {
        if (pos + size_t(count) > 8 * in.size()) return false;
        value = 0;
        for (int i = 0; i < count; ++i, ++pos) value |= uint32_t((in[pos / 8] >> (pos % 8)) & 1) << i;
        return true;
    }
};

// Canonical code from code lengths (RFC 1951, section 3.2.2). An
// over-subscribed set is malformed; an incomplete one is allowed, and its
// unused codes fail when met.
bool Build(HuffmanCode& h, const uint8_t* lengths, int n) {
    std::memset(h.count, 0, sizeof h.count);
    for (int i = 0; i < n; ++i) ++h.count[lengths[i]];
    int left = 1;
    for (int len = 1; len < 16; ++len) {
        left = 2 * left - h.count[len];
        if (left < 0) return false;
    }
    uint16_t offsets[16] = {};
    for (int len = 1; len < 15; ++len) offsets[len + 1] = uint16_t(offsets[len] + h.count[len]);
    for (int i = 0; i < n; ++i)
        if (lengths[i]) h.symbol[offsets[lengths[i]]++] = uint16_t(i);
    return true;
}

// -1: out of input; -2: no such code.
int Decode(Bits& bits, const HuffmanCode& h) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; ++len) {
        uint32_t bit;
        if (!bits.Get(1, bit)) return -1;
        code |= int(bit);
        int count = h.count[len];
        if (code - first < count) return h.symbol[index + code - first];
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -2;
}

void FixedCodes(ZlibDecompressor& z) {
    uint8_t lengths[288];
    for (int i = 0; i < 144; ++i) lengths[i] = 8;
    for (int i = 144; i < 256; ++i) lengths[i] = 9;
    for (int i = 256; i < 280; ++i) lengths[i] = 7;
    for (int i = 280; i < 288; ++i) lengths[i] = 8;
    Build(z.literals, lengths, 288);
    for (int i = 0; i < 30; ++i) lengths[i] = 5;
    Build(z.distances, lengths, 30);
}

Step DynamicCodes(ZlibDecompressor& z, Bits& bits) {
    static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint32_t hlit, hdist, hclen;
    if (!bits.Get(5, hlit) || !bits.Get(5, hdist) || !bits.Get(4, hclen)) return Step::kMore;
    int nlit = int(hlit) + 257, ndist = int(hdist) + 1, ncode = int(hclen) + 4;
    if (nlit > 286 || ndist > 30) return Step::kBad;
    uint8_t lengths[320] = {};
    for (int i = 0; i < ncode; ++i) {
        uint32_t v;
        if (!bits.Get(3, v)) return Step::kMore;
        lengths[kOrder[i]] = uint8_t(v);
    }
    HuffmanCode lencode;
    if (!Build(lencode, lengths, 19)) return Step::kBad;
    std::memset(lengths, 0, sizeof lengths);
    for (int i = 0; i < nlit + ndist;) {
        int sym = Decode(bits, lencode);
        if (sym == -1) return Step::kMore;
        if (sym < 0) return Step::kBad;
        if (sym < 16) {
            lengths[i++] = uint8_t(sym);
            continue;
        }
        uint32_t extra;
        int repeat;
        uint8_t value = 0;
        if (sym == 16) {
            if (i == 0) return Step::kBad;
            value = lengths[i - 1];
            if (!bits.Get(2, extra)) return Step::kMore;
            repeat = 3 + int(extra);
        } else if (sym == 17) {
            if (!bits.Get(3, extra)) return Step::kMore;
            repeat = 3 + int(extra);
        } else {
            if (!bits.Get(7, extra)) return Step::kMore;
            repeat = 11 + int(extra);
        }
        if (i + repeat > nlit + ndist) return Step::kBad;
        while (repeat--) lengths[i++] = value;
    }
    if (lengths[256] == 0) return Step::kBad;  // no end-of-block code
    if (!Build(z.literals, lengths, nlit) || !Build(z.distances, lengths + nlit, ndist)) return Step::kBad;
    return Step::kDone;
}

Step BlockHeader(ZlibDecompressor& z, Bits& bits) {
    uint32_t final_bit, type;
    if (!bits.Get(1, final_bit) || !bits.Get(2, type)) return Step::kMore;
    if (type == 0) {
        bits.pos = (bits.pos + 7) / 8 * 8;
        uint32_t len, nlen;
        if (!bits.Get(16, len) || !bits.Get(16, nlen)) return Step::kMore;
        if ((len ^ 0xffff) != nlen) return Step::kBad;
        z.stored_left = len;
        z.stage = Stage::kStored;
    } else if (type == 1) {
        FixedCodes(z);
        z.stage = Stage::kCodes;
    } else if (type == 2) {
        Step s = DynamicCodes(z, bits);
        if (s != Step::kDone) return s;
        z.stage = Stage::kCodes;
    } else {
        return Step::kBad;
    }
    z.last_block = final_bit != 0;
    return Step::kDone;
}

void EndBlock(ZlibDecompressor& z) {
    z.stage = z.last_block ? Stage::kTrailer : Stage::kBlockHeader;
}

// One literal or one length/distance pair; `work` is the window followed by
// this call's output.
Step Symbol(ZlibDecompressor& z, Bits& bits, std::vector<uint8_t>& work) {
    int sym = Decode(bits, z.literals);
    if (sym == -1) return Step::kMore;
    if (sym < 0) return Step::kBad;
    if (sym < 256) {
        work.push_back(uint8_t(sym));
        return Step::kDone;
    }
    if (sym == 256) {
        EndBlock(z);
        return Step::kDone;
    }
    int li = sym - 257;
    if (li >= 29) return Step::kBad;
    uint32_t extra = 0;
    if (!bits.Get(kLengthExtra[li], extra)) return Step::kMore;
    size_t length = kLengthBase[li] + extra;
    int di = Decode(bits, z.distances);
    if (di == -1) return Step::kMore;
    if (di < 0 || di >= 30) return Step::kBad;
    if (!bits.Get(kDistExtra[di], extra)) return Step::kMore;
    size_t distance = kDistBase[di] + extra;
    if (distance > work.size()) return Step::kBad;
    size_t from = work.size() - distance;
    for (size_t i = 0; i < length; ++i) work.push_back(work[from + i]);  // may overlap itself
    return Step::kDone;
}

bool Fail(ZlibDecompressor& z) {
    z.stage = Stage::kFailed;
    z.input.clear();
    return false;
}

}  // namespace

void ZlibDecompressorStart(ZlibDecompressor& z) {
    z = ZlibDecompressor{};
}

bool ZlibDecompress(ZlibDecompressor& z, const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    if (z.stage == Stage::kFailed) return false;
    z.input.insert(z.input.end(), data, data + length);
    std::vector<uint8_t> work = std::move(z.window);
    const size_t window_size = work.size();
    Bits bits{z.input, z.bit_pos};

    bool more = true;
    while (more) {
        size_t checkpoint = bits.pos;
        Step step = Step::kDone;
        switch (z.stage) {
            case Stage::kHeader: {
                uint32_t cmf, flg;
                if (!bits.Get(8, cmf) || !bits.Get(8, flg)) {
                    step = Step::kMore;
                    break;
                }
                // Deflate, a window of at most 32 KiB, a valid check, no preset dictionary.
                if ((cmf & 15) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0 || (flg & 0x20)) return Fail(z);
                z.stage = Stage::kBlockHeader;
                break;
            }
            case Stage::kBlockHeader:
                step = BlockHeader(z, bits);
                break;
            case Stage::kStored: {
                size_t available = z.input.size() - bits.pos / 8;
                size_t n = std::min(available, z.stored_left);
                work.insert(work.end(), z.input.begin() + bits.pos / 8, z.input.begin() + bits.pos / 8 + n);
                bits.pos += 8 * n;
                z.stored_left -= n;
                if (z.stored_left == 0) EndBlock(z);
                else step = Step::kWait;
                break;
            }
            case Stage::kCodes:
                step = Symbol(z, bits, work);
                break;
            case Stage::kTrailer: {
                // The stream's end: the Adler-32 check follows, and nothing after it.
                bits.pos = (bits.pos + 7) / 8 * 8;
                size_t available = z.input.size() - bits.pos / 8;
                if (available > z.trailer_left) return Fail(z);
                z.trailer_left -= available;
                bits.pos += 8 * available;
                step = Step::kWait;
                break;
            }
            case Stage::kFailed:
                return false;
        }
        if (step == Step::kBad) return Fail(z);
        if (step == Step::kMore) bits.pos = checkpoint;
        if (step == Step::kMore || step == Step::kWait) more = false;
        if (work.size() - window_size > kZlibMaxPacketOutput) return Fail(z);
    }

    out.insert(out.end(), work.begin() + window_size, work.end());
    size_t keep = std::min(work.size(), kWindow);
    work.erase(work.begin(), work.end() - keep);
    z.window = std::move(work);
    // Keep only the byte holding the next undecoded bit, and what follows.
    size_t consumed = bits.pos / 8;
    z.input.erase(z.input.begin(), z.input.begin() + consumed);
    z.bit_pos = bits.pos - 8 * consumed;
    return true;
}

}  // namespace vorto::crypto
