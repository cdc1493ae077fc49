#include "ssh/crypto/sha1.h"

#include "ssh/crypto/hash_util.h"

namespace vorto::crypto {

namespace {

// One round: the schedule lives in a 16-word ring, and the four round
// functions each get a loop of their own. Unrolled in full, the ring indices
// become constants and the register shuffle disappears; GCC does not do
// that by itself.
#define SHA1_ROUND(F, K, i)                                                                     \
    do {                                                                                        \
        if ((i) >= 16)                                                                          \
            w[(i) & 15] = Rotl32(w[((i) + 13) & 15] ^ w[((i) + 8) & 15] ^ w[((i) + 2) & 15] ^ \
                                     w[(i) & 15],                                               \
                                 1);                                                            \
        uint32_t t = Rotl32(a, 5) + (F) + e + (K) + w[(i) & 15];                                \
        e = d;                                                                                  \
        d = c;                                                                                  \
        c = Rotl32(b, 30);                                                                      \
        b = a;                                                                                  \
        a = t;                                                                                  \
    } while (0)

}  // namespace

void Sha1Compress(uint32_t state[5], const uint8_t block[64]) {
    uint32_t w[16];
    for (int i = 0; i < 16; ++i) w[i] = LoadBe32(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
#pragma GCC unroll 20
    for (int i = 0; i < 20; ++i) SHA1_ROUND(d ^ (b & (c ^ d)), 0x5a827999u, i);
#pragma GCC unroll 20
    for (int i = 20; i < 40; ++i) SHA1_ROUND(b ^ c ^ d, 0x6ed9eba1u, i);
#pragma GCC unroll 20
    for (int i = 40; i < 60; ++i) SHA1_ROUND((b & c) | (d & (b | c)), 0x8f1bbcdcu, i);
#pragma GCC unroll 20
    for (int i = 60; i < 80; ++i) SHA1_ROUND(b ^ c ^ d, 0xca62c1d6u, i);
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

#undef SHA1_ROUND

void Sha1CompressBytes(uint8_t digest[kSha1Length], const uint8_t block[64]) {
    uint32_t state[5];
    for (int i = 0; i < 5; ++i) state[i] = LoadBe32(digest + 4 * i);
    Sha1Compress(state, block);
    for (int i = 0; i < 5; ++i) StoreBe32(digest + 4 * i, state[i]);
}

void Sha1Start(Sha1& ctx) {
    static const uint32_t kInit[5] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
    for (int i = 0; i < 5; ++i) ctx.state[i] = kInit[i];
    ctx.used = 0;
    ctx.total = 0;
}

void Sha1Add(Sha1& ctx, const void* data, size_t length) {
    ctx.total += length;
    AddToBlocks<64>(ctx.block, ctx.used, static_cast<const uint8_t*>(data), length,
                    [&ctx](const uint8_t* b) { Sha1Compress(ctx.state, b); });
}

void Sha1Finish(Sha1& ctx, uint8_t digest[kSha1Length]) {
    uint64_t bits = ctx.total * 8;
    uint8_t pad[72] = {0x80};
    size_t pad_len = (ctx.used < 56 ? 56 : 120) - ctx.used;
    StoreBe64(pad + pad_len, bits);
    Sha1Add(ctx, pad, pad_len + 8);
    for (int i = 0; i < 5; ++i) StoreBe32(digest + 4 * i, ctx.state[i]);
    Wipe(&ctx, sizeof ctx);
}

void Sha1Once(const void* data, size_t length, uint8_t digest[kSha1Length]) {
    Sha1 ctx;
    Sha1Start(ctx);
    Sha1Add(ctx, data, length);
    Sha1Finish(ctx, digest);
}

}  // namespace vorto::crypto
