// Blowfish with CBC, in the standard big-endian block order and in the
// little-endian word order that SSH-1 uses.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorto::crypto {

constexpr size_t kBlowfishBlock = 8;

struct Blowfish {
    uint32_t p[18];
    uint32_t s[4][256];
    uint8_t iv[kBlowfishBlock];
};

// Keys of 1 to 56 bytes; false otherwise. The IV becomes zero.
bool BlowfishSetKey(Blowfish& ctx, const uint8_t* key, size_t key_length);
void BlowfishEncryptBlock(const Blowfish& ctx, uint32_t& left, uint32_t& right);
void BlowfishDecryptBlock(const Blowfish& ctx, uint32_t& left, uint32_t& right);
void BlowfishCbcEncrypt(Blowfish& ctx, uint8_t* data, size_t length);
void BlowfishCbcDecrypt(Blowfish& ctx, uint8_t* data, size_t length);
// SSH-1: each 8-byte block (and the IV) is read as two little-endian words.
void BlowfishSsh1CbcEncrypt(Blowfish& ctx, uint8_t* data, size_t length);
void BlowfishSsh1CbcDecrypt(Blowfish& ctx, uint8_t* data, size_t length);

}  // namespace vorto::crypto
