#include "ssh/crypto/blowfish.h"

#include <cstring>

#include "ssh/crypto/blowfish_pi.h"
#include "ssh/crypto/hash_util.h"

namespace vorto::crypto {

namespace {

inline uint32_t F(const Blowfish& ctx, uint32_t x) {
    return ((ctx.s[0][x >> 24] + ctx.s[1][(x >> 16) & 255]) ^ ctx.s[2][(x >> 8) & 255]) + ctx.s[3][x & 255];
}

using Load = uint32_t (*)(const uint8_t*);
using Store = void (*)(uint8_t*, uint32_t);

void CbcEncrypt(Blowfish& ctx, uint8_t* data, size_t length, Load load, Store store) {
    uint32_t l = load(ctx.iv), r = load(ctx.iv + 4);
    for (; length >= kBlowfishBlock; data += kBlowfishBlock, length -= kBlowfishBlock) {
        l ^= load(data);
        r ^= load(data + 4);
        BlowfishEncryptBlock(ctx, l, r);
        store(data, l);
        store(data + 4, r);
    }
    store(ctx.iv, l);
    store(ctx.iv + 4, r);
}

void CbcDecrypt(Blowfish& ctx, uint8_t* data, size_t length, Load load, Store store) {
    uint32_t iv_l = load(ctx.iv), iv_r = load(ctx.iv + 4);
    for (; length >= kBlowfishBlock; data += kBlowfishBlock, length -= kBlowfishBlock) {
        uint32_t c_l = load(data), c_r = load(data + 4), l = c_l, r = c_r;
        BlowfishDecryptBlock(ctx, l, r);
        store(data, l ^ iv_l);
        store(data + 4, r ^ iv_r);
        iv_l = c_l;
        iv_r = c_r;
    }
    store(ctx.iv, iv_l);
    store(ctx.iv + 4, iv_r);
}

}  // namespace

bool BlowfishSetKey(Blowfish& ctx, const uint8_t* key, size_t key_length) {
    if (key_length < 1 || key_length > 56) return false;
    std::memcpy(ctx.p, blowfish_pi::kPiP, sizeof ctx.p);
    std::memcpy(ctx.s, blowfish_pi::kPiS, sizeof ctx.s);
    size_t at = 0;
    for (uint32_t& p : ctx.p) {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            word = (word << 8) | key[at];
            at = (at + 1) % key_length;
        }
        p ^= word;
    }
    uint32_t l = 0, r = 0;
    for (int i = 0; i < 18; i += 2) {
        BlowfishEncryptBlock(ctx, l, r);
        ctx.p[i] = l;
        ctx.p[i + 1] = r;
    }
    for (auto& box : ctx.s) {
        for (int i = 0; i < 256; i += 2) {
            BlowfishEncryptBlock(ctx, l, r);
            box[i] = l;
            box[i + 1] = r;
        }
    }
    std::memset(ctx.iv, 0, sizeof ctx.iv);
    return true;
}

void BlowfishEncryptBlock(const Blowfish& ctx, uint32_t& left, uint32_t& right) {
    uint32_t l = left, r = right;
    for (int i = 0; i < 16; i += 2) {
        l ^= ctx.p[i];
        r ^= F(ctx, l);
        r ^= ctx.p[i + 1];
        l ^= F(ctx, r);
    }
    left = r ^ ctx.p[17];
    right = l ^ ctx.p[16];
}

void BlowfishDecryptBlock(const Blowfish& ctx, uint32_t& left, uint32_t& right) {
    uint32_t l = left, r = right;
    for (int i = 17; i > 1; i -= 2) {
        l ^= ctx.p[i];
        r ^= F(ctx, l);
        r ^= ctx.p[i - 1];
        l ^= F(ctx, r);
    }
    left = r ^ ctx.p[0];
    right = l ^ ctx.p[1];
}

void BlowfishCbcEncrypt(Blowfish& ctx, uint8_t* data, size_t length) {
    CbcEncrypt(ctx, data, length, LoadBe32, StoreBe32);
}

void BlowfishCbcDecrypt(Blowfish& ctx, uint8_t* data, size_t length) {
    CbcDecrypt(ctx, data, length, LoadBe32, StoreBe32);
}

void BlowfishSsh1CbcEncrypt(Blowfish& ctx, uint8_t* data, size_t length) {
    CbcEncrypt(ctx, data, length, LoadLe32, StoreLe32);
}

void BlowfishSsh1CbcDecrypt(Blowfish& ctx, uint8_t* data, size_t length) {
    CbcDecrypt(ctx, data, length, LoadLe32, StoreLe32);
}

}  // namespace vorto::crypto
