// AES (FIPS 197) with 128, 192 and 256-bit keys, and CBC mode.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorto::crypto {

constexpr size_t kAesBlock = 16;

struct Aes {
    uint32_t encrypt_keys[60];
    uint32_t decrypt_keys[60];  // for the equivalent inverse cipher
    int rounds;
    uint8_t iv[kAesBlock];
};

// `key_length` is 16, 24 or 32; false for anything else. The IV becomes zero.
bool AesSetKey(Aes& ctx, const uint8_t* key, size_t key_length);
void AesSetIv(Aes& ctx, const uint8_t iv[kAesBlock]);
void AesEncryptBlock(const Aes& ctx, const uint8_t in[kAesBlock], uint8_t out[kAesBlock]);
void AesDecryptBlock(const Aes& ctx, const uint8_t in[kAesBlock], uint8_t out[kAesBlock]);
// In place over whole blocks; the IV carries on to the next call.
void AesCbcEncrypt(Aes& ctx, uint8_t* data, size_t length);
void AesCbcDecrypt(Aes& ctx, uint8_t* data, size_t length);

}  // namespace vorto::crypto
