// DES (FIPS 46-3), triple DES in EDE form with outer CBC as SSH-2 uses it,
// and the SSH-1 arrangement of three DES stages each in its own CBC.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorto::crypto {

constexpr size_t kDesBlock = 8;

// Round keys as eight 6-bit groups per round.
struct DesKey {
    uint8_t round[16][8];
};

void DesSetKey(DesKey& key, const uint8_t bytes[8]);
void DesEncryptBlock(const DesKey& key, const uint8_t in[8], uint8_t out[8]);
void DesDecryptBlock(const DesKey& key, const uint8_t in[8], uint8_t out[8]);

struct DesCbc {
    DesKey key;
    uint8_t iv[kDesBlock];
};

// Both set the key and a zero IV.
void DesCbcSetKey(DesCbc& ctx, const uint8_t key[8]);
void DesCbcEncrypt(DesCbc& ctx, uint8_t* data, size_t length);
void DesCbcDecrypt(DesCbc& ctx, uint8_t* data, size_t length);

// EDE with keys K1, K2, K3 and one CBC chain around the whole.
struct TripleDesCbc {
    DesKey keys[3];
    uint8_t iv[kDesBlock];
};

// Sets the three keys and a zero IV.
void TripleDesSetKey(TripleDesCbc& ctx, const uint8_t key[24]);
void TripleDesEncryptBlock(const TripleDesCbc& ctx, const uint8_t in[8], uint8_t out[8]);
void TripleDesDecryptBlock(const TripleDesCbc& ctx, const uint8_t in[8], uint8_t out[8]);
void TripleDesCbcEncrypt(TripleDesCbc& ctx, uint8_t* data, size_t length);
void TripleDesCbcDecrypt(TripleDesCbc& ctx, uint8_t* data, size_t length);

// SSH-1 inner CBC: encryption is CBC-encrypt with K1, CBC-decrypt with K2,
// CBC-encrypt with K3, each stage with its own chaining value (all zero at
// the start); decryption runs the stages backwards. SSH-1 key files use a
// 16-byte key: pass it with its first 8 bytes repeated as K3.
struct TripleDesSsh1 {
    DesCbc stages[3];
};

void TripleDesSsh1SetKey(TripleDesSsh1& ctx, const uint8_t key[24]);
void TripleDesSsh1Encrypt(TripleDesSsh1& ctx, uint8_t* data, size_t length);
void TripleDesSsh1Decrypt(TripleDesSsh1& ctx, uint8_t* data, size_t length);

}  // namespace vorto::crypto
