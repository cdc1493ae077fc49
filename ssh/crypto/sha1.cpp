#include "ssh/crypto/sha1.h"

#include "ssh/crypto/hash_util.h"

namespace vorto::crypto {

void Sha1Compress(uint32_t state[5], const uint8_t block[64]) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) w[i] = LoadBe32(block + 4 * i);
    for (int i = 16; i < 80; ++i) w[i] = Rotl32(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5a827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ed9eba1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8f1bbcdc;
        } else {
            f = b ^ c ^ d;
            k = 0xca62c1d6;
        }
        uint32_t t = Rotl32(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl32(b, 30);
        b = a;
        a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

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
