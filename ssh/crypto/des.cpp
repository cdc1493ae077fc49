#include "ssh/crypto/des.h"

#include <array>
#include <cstring>

#include "ssh/crypto/hash_util.h"

namespace vorto::crypto {

namespace {

// Tables of FIPS 46-3; bit 1 is the most significant.
constexpr uint8_t kInitialPerm[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4, 62, 54, 46, 38, 30, 22, 14, 6,
    64, 56, 48, 40, 32, 24, 16, 8, 57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

constexpr uint8_t kPerm[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                               2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

constexpr uint8_t kChoice1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                                  10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                                  63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                                  14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr uint8_t kChoice2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                                  26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                                  51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

constexpr uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr uint8_t kSbox[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0, 7,  0, 15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5,  3,  8,  4,  1,  14, 8,  13, 6, 2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2,  4,  9,  1,  7,  5,  11, 3,  14, 10, 0, 6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7, 2,  13, 12, 0, 5,  10, 3,  13, 4,  7,  15, 2,
     8,  14, 12, 0,  1,  10, 6,  9,  11, 5, 0,  14, 7,  11, 10, 4,  13, 1,  5,  8,  12, 6,
     9,  3,  2,  15, 13, 8,  10, 1,  3,  15, 4,  2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6,  3,  15, 5,  1,  13, 12, 7,  11, 4,  2,  8,  13, 7,  0,  9,  3,  4,
     6,  10, 2,  8,  5,  14, 12, 11, 15, 1,  13, 6,  4,  9,  8,  15, 3,  0,  11, 1,  2,  12,
     5,  10, 14, 7,  1,  10, 13, 0,  6,  9,  8,  7,  4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3,  0,  6,  9,  10, 1,  2,  8,  5,  11, 12, 4,  15, 13, 8,  11, 5,  6,  15,
     0,  3,  4,  7,  2,  12, 1,  10, 14, 9,  10, 6,  9,  0,  12, 11, 7,  13, 15, 1,  3,  14,
     5,  2,  8,  4,  3,  15, 0,  6,  10, 1,  13, 8,  9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0, 14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5,  0,  15, 10, 3,  9,  8,  6,  4,  2,  1,  11, 10, 13, 7,  8, 15, 9,  12, 5,
     6,  3,  0,  14, 11, 8,  12, 7,  1,  14, 2,  13, 6,  15, 0,  9,  10, 4, 5,  3},
    {12, 1,  10, 15, 9,  2,  6,  8,  0,  13, 3,  4,  14, 7,  5,  11, 10, 15, 4,  2,  7,  12,
     9,  5,  6,  1,  13, 14, 0,  11, 3,  8,  9,  14, 15, 5,  2,  8,  12, 3,  7,  0,  4,  10,
     1,  13, 11, 6,  4,  3,  2,  12, 9,  5,  15, 10, 11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0,  8,  13, 3,  12, 9,  7,  5,  10, 6,  1,  13, 0,  11, 7,  4,  9,
     1,  10, 14, 3,  5,  12, 2,  15, 8,  6,  1,  4,  11, 13, 12, 3,  7,  14, 10, 15, 6,  8,
     0,  5,  9,  2,  6,  11, 13, 8,  1,  4,  10, 7,  9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2,  8,  4,  6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7,  1,  15, 13, 8,  10, 3,
     7,  4,  12, 5,  6,  11, 0,  14, 9,  2,  7,  11, 4,  1,  9,  12, 14, 2,  0,  6,  10, 13,
     15, 3,  5,  8,  2,  1,  14, 7,  4,  10, 8,  13, 15, 12, 9,  0,  3,  5,  6,  11}};

// Combined S-box and permutation P: entry x of table i is P applied to the
// output of S-box i for the six input bits x (b1 most significant).
constexpr std::array<std::array<uint32_t, 64>, 8> MakeSpTables() {
    std::array<std::array<uint32_t, 64>, 8> sp{};
    for (int box = 0; box < 8; ++box) {
        for (int x = 0; x < 64; ++x) {
            int row = ((x >> 4) & 2) | (x & 1), col = (x >> 1) & 15;
            uint32_t s_out = uint32_t(kSbox[box][row * 16 + col]) << (28 - 4 * box);
            uint32_t p = 0;
            for (int i = 0; i < 32; ++i)
                if (s_out & (uint32_t(1) << (32 - kPerm[i]))) p |= uint32_t(1) << (31 - i);
            sp[box][x] = p;
        }
    }
    return sp;
}

// A 64-bit permutation split by input byte, so it costs eight lookups.
using ByteTables = std::array<std::array<uint64_t, 256>, 8>;

constexpr ByteTables MakeByteTables(bool inverse) {
    uint8_t source[64] = {};  // output bit i (1-based from the top) comes from input bit source[i]
    for (int i = 0; i < 64; ++i) {
        if (inverse) source[kInitialPerm[i] - 1] = uint8_t(i + 1);
        else source[i] = kInitialPerm[i];
    }
    ByteTables t{};
    for (int byte = 0; byte < 8; ++byte) {
        for (int v = 0; v < 256; ++v) {
            uint64_t out = 0;
            for (int i = 0; i < 64; ++i) {
                int from = source[i] - 1;  // 0-based from the top
                if (from / 8 == byte && (v & (0x80 >> (from % 8)))) out |= uint64_t(1) << (63 - i);
            }
            t[byte][v] = out;
        }
    }
    return t;
}

constexpr auto kSp = MakeSpTables();
constexpr ByteTables kIp = MakeByteTables(false);
constexpr ByteTables kFp = MakeByteTables(true);

uint64_t Permute(const ByteTables& t, const uint8_t in[8]) {
    uint64_t out = 0;
    for (int i = 0; i < 8; ++i) out |= t[i][in[i]];
    return out;
}

void Unpack(const ByteTables& t, uint64_t v, uint8_t out[8]) {
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = uint8_t(v >> (56 - 8 * i));
    uint64_t p = Permute(t, bytes);
    for (int i = 0; i < 8; ++i) out[i] = uint8_t(p >> (56 - 8 * i));
}

uint32_t Feistel(uint32_t r, const uint8_t k[8]) {
    // The expansion E takes six bits around each four-bit group: rotating R
    // right by one puts bit 32 on top, and then group i is the low six bits
    // of that rotated left by 4i + 6.
    uint32_t rr = (r >> 1) | (r << 31);
    auto group = [rr](int shift) { return (rr << shift) | (rr >> (32 - shift)); };
    return kSp[0][(group(6) & 63) ^ k[0]] ^ kSp[1][(group(10) & 63) ^ k[1]] ^ kSp[2][(group(14) & 63) ^ k[2]] ^
           kSp[3][(group(18) & 63) ^ k[3]] ^ kSp[4][(group(22) & 63) ^ k[4]] ^ kSp[5][(group(26) & 63) ^ k[5]] ^
           kSp[6][(group(30) & 63) ^ k[6]] ^ kSp[7][(group(2) & 63) ^ k[7]];
}

// Sixteen rounds on (left, right) after the initial permutation; leaves the
// halves swapped as the final permutation expects. Stages of triple DES can
// be chained on these halves directly: FP followed by IP is the identity.
void Rounds(const DesKey& key, uint32_t& left, uint32_t& right, bool decrypt) {
    uint32_t l = left, r = right;
    for (int i = 0; i < 16; ++i) {
        uint32_t t = r;
        r = l ^ Feistel(r, key.round[decrypt ? 15 - i : i]);
        l = t;
    }
    left = r;
    right = l;
}

void Block(const DesKey* keys, const bool* decrypt, int stages, const uint8_t in[8], uint8_t out[8]) {
    uint64_t v = Permute(kIp, in);
    uint32_t l = uint32_t(v >> 32), r = uint32_t(v);
    for (int s = 0; s < stages; ++s) Rounds(keys[s], l, r, decrypt[s]);
    Unpack(kFp, (uint64_t(l) << 32) | r, out);
}

template <typename BlockFn>
void CbcEncrypt(uint8_t iv[8], uint8_t* data, size_t length, BlockFn block) {
    for (; length >= kDesBlock; data += kDesBlock, length -= kDesBlock) {
        for (size_t i = 0; i < kDesBlock; ++i) iv[i] ^= data[i];
        block(iv, iv);
        std::memcpy(data, iv, kDesBlock);
    }
}

template <typename BlockFn>
void CbcDecrypt(uint8_t iv[8], uint8_t* data, size_t length, BlockFn block) {
    uint8_t cipher[kDesBlock];
    for (; length >= kDesBlock; data += kDesBlock, length -= kDesBlock) {
        std::memcpy(cipher, data, kDesBlock);
        block(data, data);
        for (size_t i = 0; i < kDesBlock; ++i) data[i] ^= iv[i];
        std::memcpy(iv, cipher, kDesBlock);
    }
}

}  // namespace

void DesSetKey(DesKey& key, const uint8_t bytes[8]) {
    uint64_t k = 0;
    for (int i = 0; i < 8; ++i) k = (k << 8) | bytes[i];
    uint32_t c = 0, d = 0;  // 28-bit halves after PC-1
    for (int i = 0; i < 28; ++i) {
        c = (c << 1) | uint32_t((k >> (64 - kChoice1[i])) & 1);
        d = (d << 1) | uint32_t((k >> (64 - kChoice1[i + 28])) & 1);
    }
    for (int round = 0; round < 16; ++round) {
        for (int s = 0; s < kShifts[round]; ++s) {
            c = ((c << 1) | (c >> 27)) & 0xfffffff;
            d = ((d << 1) | (d >> 27)) & 0xfffffff;
        }
        uint64_t cd = (uint64_t(c) << 28) | d;
        for (int g = 0; g < 8; ++g) {
            uint8_t six = 0;
            for (int b = 0; b < 6; ++b) six = uint8_t((six << 1) | ((cd >> (56 - kChoice2[6 * g + b])) & 1));
            key.round[round][g] = six;
        }
    }
}

void DesEncryptBlock(const DesKey& key, const uint8_t in[8], uint8_t out[8]) {
    const bool decrypt[1] = {false};
    Block(&key, decrypt, 1, in, out);
}

void DesDecryptBlock(const DesKey& key, const uint8_t in[8], uint8_t out[8]) {
    const bool decrypt[1] = {true};
    Block(&key, decrypt, 1, in, out);
}

void DesCbcSetKey(DesCbc& ctx, const uint8_t key[8]) {
    DesSetKey(ctx.key, key);
    std::memset(ctx.iv, 0, sizeof ctx.iv);
}

void DesCbcEncrypt(DesCbc& ctx, uint8_t* data, size_t length) {
    CbcEncrypt(ctx.iv, data, length, [&ctx](const uint8_t* in, uint8_t* out) { DesEncryptBlock(ctx.key, in, out); });
}

void DesCbcDecrypt(DesCbc& ctx, uint8_t* data, size_t length) {
    CbcDecrypt(ctx.iv, data, length, [&ctx](const uint8_t* in, uint8_t* out) { DesDecryptBlock(ctx.key, in, out); });
}

void TripleDesSetKey(TripleDesCbc& ctx, const uint8_t key[24]) {
    for (int i = 0; i < 3; ++i) DesSetKey(ctx.keys[i], key + 8 * i);
    std::memset(ctx.iv, 0, sizeof ctx.iv);
}

void TripleDesEncryptBlock(const TripleDesCbc& ctx, const uint8_t in[8], uint8_t out[8]) {
    const bool decrypt[3] = {false, true, false};
    Block(ctx.keys, decrypt, 3, in, out);
}

void TripleDesDecryptBlock(const TripleDesCbc& ctx, const uint8_t in[8], uint8_t out[8]) {
    const DesKey keys[3] = {ctx.keys[2], ctx.keys[1], ctx.keys[0]};
    const bool decrypt[3] = {true, false, true};
    Block(keys, decrypt, 3, in, out);
}

void TripleDesCbcEncrypt(TripleDesCbc& ctx, uint8_t* data, size_t length) {
    CbcEncrypt(ctx.iv, data, length,
               [&ctx](const uint8_t* in, uint8_t* out) { TripleDesEncryptBlock(ctx, in, out); });
}

void TripleDesCbcDecrypt(TripleDesCbc& ctx, uint8_t* data, size_t length) {
    CbcDecrypt(ctx.iv, data, length,
               [&ctx](const uint8_t* in, uint8_t* out) { TripleDesDecryptBlock(ctx, in, out); });
}

void TripleDesSsh1SetKey(TripleDesSsh1& ctx, const uint8_t key[24]) {
    for (int i = 0; i < 3; ++i) DesCbcSetKey(ctx.stages[i], key + 8 * i);
}

void TripleDesSsh1Encrypt(TripleDesSsh1& ctx, uint8_t* data, size_t length) {
    DesCbcEncrypt(ctx.stages[0], data, length);
    DesCbcDecrypt(ctx.stages[1], data, length);
    DesCbcEncrypt(ctx.stages[2], data, length);
}

void TripleDesSsh1Decrypt(TripleDesSsh1& ctx, uint8_t* data, size_t length) {
    DesCbcDecrypt(ctx.stages[2], data, length);
    DesCbcEncrypt(ctx.stages[1], data, length);
    DesCbcDecrypt(ctx.stages[0], data, length);
}

}  // namespace vorto::crypto
