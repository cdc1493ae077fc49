#include "ssh/crypto/aes.h"

#include <array>
#include <cstring>

#include "ssh/crypto/hash_util.h"

namespace vorto::crypto {

namespace {

constexpr uint8_t Xtime(uint8_t x) {
    return uint8_t((x << 1) ^ ((x & 0x80) ? 0x1b : 0));
}

constexpr uint8_t GfMul(uint8_t a, uint8_t b) {
    uint8_t r = 0;
    for (; b; b >>= 1, a = Xtime(a))
        if (b & 1) r ^= a;
    return r;
}

// The S-box of FIPS 197 section 5.1.1: multiplicative inverse in GF(2^8)
// followed by the affine transformation. Inverses come from powers of the
// generator 3, which keeps the compile-time work small.
constexpr std::array<uint8_t, 256> MakeSbox() {
    std::array<uint8_t, 256> power{}, log{};
    uint8_t x = 1;
    for (int i = 0; i < 255; ++i) {
        power[i] = x;
        log[x] = uint8_t(i);
        x = uint8_t(x ^ Xtime(x));  // x * 3
    }
    std::array<uint8_t, 256> s{};
    for (int v = 0; v < 256; ++v) {
        uint8_t inv = v ? power[(255 - log[v]) % 255] : 0;
        uint8_t b = inv, r = 0x63;
        for (int i = 0; i < 5; ++i) {
            r ^= b;
            b = uint8_t((b << 1) | (b >> 7));
        }
        s[v] = r;
    }
    return s;
}

constexpr std::array<uint8_t, 256> Invert(const std::array<uint8_t, 256>& s) {
    std::array<uint8_t, 256> inv{};
    for (int x = 0; x < 256; ++x) inv[s[x]] = uint8_t(x);
    return inv;
}

constexpr uint32_t Ror(uint32_t x, int n) {
    return n ? (x >> n) | (x << (32 - n)) : x;
}

// Round tables: SubBytes and MixColumns of one byte in one lookup, rotated
// for each of the four row positions.
struct Tables {
    std::array<uint8_t, 256> sbox, inv_sbox;
    uint32_t enc[4][256], dec[4][256];
};

constexpr Tables MakeTables() {
    Tables t{};
    t.sbox = MakeSbox();
    t.inv_sbox = Invert(t.sbox);
    for (int x = 0; x < 256; ++x) {
        uint8_t s = t.sbox[x], i = t.inv_sbox[x];
        uint32_t e = (uint32_t(GfMul(s, 2)) << 24) | (uint32_t(s) << 16) | (uint32_t(s) << 8) | GfMul(s, 3);
        uint32_t d = (uint32_t(GfMul(i, 14)) << 24) | (uint32_t(GfMul(i, 9)) << 16) | (uint32_t(GfMul(i, 13)) << 8) |
                     GfMul(i, 11);
        for (int k = 0; k < 4; ++k) {
            t.enc[k][x] = Ror(e, 8 * k);
            t.dec[k][x] = Ror(d, 8 * k);
        }
    }
    return t;
}

constexpr Tables kTables = MakeTables();
const auto& kS = kTables.sbox;
const auto& kSi = kTables.inv_sbox;
const auto& kTe = kTables.enc;
const auto& kTd = kTables.dec;

uint32_t SubWord(uint32_t w) {
    return (uint32_t(kS[w >> 24]) << 24) | (uint32_t(kS[(w >> 16) & 255]) << 16) | (uint32_t(kS[(w >> 8) & 255]) << 8) |
           kS[w & 255];
}

}  // namespace

bool AesSetKey(Aes& ctx, const uint8_t* key, size_t key_length) {
    if (key_length != 16 && key_length != 24 && key_length != 32) return false;
    const int nk = int(key_length / 4);
    ctx.rounds = nk + 6;
    const int total = 4 * (ctx.rounds + 1);
    uint32_t* w = ctx.encrypt_keys;
    for (int i = 0; i < nk; ++i) w[i] = LoadBe32(key + 4 * i);
    uint32_t rcon = 1;
    for (int i = nk; i < total; ++i) {
        uint32_t t = w[i - 1];
        if (i % nk == 0) {
            t = SubWord((t << 8) | (t >> 24)) ^ (rcon << 24);
            rcon = Xtime(uint8_t(rcon));
        } else if (nk == 8 && i % nk == 4) {
            t = SubWord(t);
        }
        w[i] = w[i - nk] ^ t;
    }
    // Decryption keys: the rounds in reverse, InvMixColumns on the middle ones.
    uint32_t* d = ctx.decrypt_keys;
    for (int r = 0; r <= ctx.rounds; ++r) {
        for (int c = 0; c < 4; ++c) {
            uint32_t k = w[4 * (ctx.rounds - r) + c];
            if (r > 0 && r < ctx.rounds)
                k = kTd[0][kS[k >> 24]] ^ kTd[1][kS[(k >> 16) & 255]] ^ kTd[2][kS[(k >> 8) & 255]] ^ kTd[3][kS[k & 255]];
            d[4 * r + c] = k;
        }
    }
    std::memset(ctx.iv, 0, sizeof ctx.iv);
    return true;
}

void AesSetIv(Aes& ctx, const uint8_t iv[kAesBlock]) {
    std::memcpy(ctx.iv, iv, kAesBlock);
}

void AesEncryptBlock(const Aes& ctx, const uint8_t in[kAesBlock], uint8_t out[kAesBlock]) {
    const uint32_t* rk = ctx.encrypt_keys;
    uint32_t s0 = LoadBe32(in) ^ rk[0], s1 = LoadBe32(in + 4) ^ rk[1];
    uint32_t s2 = LoadBe32(in + 8) ^ rk[2], s3 = LoadBe32(in + 12) ^ rk[3];
    for (int r = 1; r < ctx.rounds; ++r) {
        rk += 4;
        uint32_t t0 = kTe[0][s0 >> 24] ^ kTe[1][(s1 >> 16) & 255] ^ kTe[2][(s2 >> 8) & 255] ^ kTe[3][s3 & 255] ^ rk[0];
        uint32_t t1 = kTe[0][s1 >> 24] ^ kTe[1][(s2 >> 16) & 255] ^ kTe[2][(s3 >> 8) & 255] ^ kTe[3][s0 & 255] ^ rk[1];
        uint32_t t2 = kTe[0][s2 >> 24] ^ kTe[1][(s3 >> 16) & 255] ^ kTe[2][(s0 >> 8) & 255] ^ kTe[3][s1 & 255] ^ rk[2];
        uint32_t t3 = kTe[0][s3 >> 24] ^ kTe[1][(s0 >> 16) & 255] ^ kTe[2][(s1 >> 8) & 255] ^ kTe[3][s2 & 255] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return (uint32_t(kS[a >> 24]) << 24) | (uint32_t(kS[(b >> 16) & 255]) << 16) |
               (uint32_t(kS[(c >> 8) & 255]) << 8) | kS[d & 255];
    };
    StoreBe32(out, last(s0, s1, s2, s3) ^ rk[0]);
    StoreBe32(out + 4, last(s1, s2, s3, s0) ^ rk[1]);
    StoreBe32(out + 8, last(s2, s3, s0, s1) ^ rk[2]);
    StoreBe32(out + 12, last(s3, s0, s1, s2) ^ rk[3]);
}

void AesDecryptBlock(const Aes& ctx, const uint8_t in[kAesBlock], uint8_t out[kAesBlock]) {
    const uint32_t* rk = ctx.decrypt_keys;
    uint32_t s0 = LoadBe32(in) ^ rk[0], s1 = LoadBe32(in + 4) ^ rk[1];
    uint32_t s2 = LoadBe32(in + 8) ^ rk[2], s3 = LoadBe32(in + 12) ^ rk[3];
    for (int r = 1; r < ctx.rounds; ++r) {
        rk += 4;
        uint32_t t0 = kTd[0][s0 >> 24] ^ kTd[1][(s3 >> 16) & 255] ^ kTd[2][(s2 >> 8) & 255] ^ kTd[3][s1 & 255] ^ rk[0];
        uint32_t t1 = kTd[0][s1 >> 24] ^ kTd[1][(s0 >> 16) & 255] ^ kTd[2][(s3 >> 8) & 255] ^ kTd[3][s2 & 255] ^ rk[1];
        uint32_t t2 = kTd[0][s2 >> 24] ^ kTd[1][(s1 >> 16) & 255] ^ kTd[2][(s0 >> 8) & 255] ^ kTd[3][s3 & 255] ^ rk[2];
        uint32_t t3 = kTd[0][s3 >> 24] ^ kTd[1][(s2 >> 16) & 255] ^ kTd[2][(s1 >> 8) & 255] ^ kTd[3][s0 & 255] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return (uint32_t(kSi[a >> 24]) << 24) | (uint32_t(kSi[(b >> 16) & 255]) << 16) |
               (uint32_t(kSi[(c >> 8) & 255]) << 8) | kSi[d & 255];
    };
    StoreBe32(out, last(s0, s3, s2, s1) ^ rk[0]);
    StoreBe32(out + 4, last(s1, s0, s3, s2) ^ rk[1]);
    StoreBe32(out + 8, last(s2, s1, s0, s3) ^ rk[2]);
    StoreBe32(out + 12, last(s3, s2, s1, s0) ^ rk[3]);
}

void AesCbcEncrypt(Aes& ctx, uint8_t* data, size_t length) {
    for (; length >= kAesBlock; data += kAesBlock, length -= kAesBlock) {
        for (size_t i = 0; i < kAesBlock; ++i) ctx.iv[i] ^= data[i];
        AesEncryptBlock(ctx, ctx.iv, ctx.iv);
        std::memcpy(data, ctx.iv, kAesBlock);
    }
}

void AesCbcDecrypt(Aes& ctx, uint8_t* data, size_t length) {
    uint8_t cipher[kAesBlock];
    for (; length >= kAesBlock; data += kAesBlock, length -= kAesBlock) {
        std::memcpy(cipher, data, kAesBlock);
        AesDecryptBlock(ctx, data, data);
        for (size_t i = 0; i < kAesBlock; ++i) data[i] ^= ctx.iv[i];
        std::memcpy(ctx.iv, cipher, kAesBlock);
    }
}

}  // namespace vorto::crypto
