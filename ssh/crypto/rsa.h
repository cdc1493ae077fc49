// RSA: SSH-2 keys and PKCS #1 v1.5 signatures with SHA-1, blinded private
// operations, and the SSH-1 session-key encryption.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ssh/crypto/bignum.h"
#include "ssh/crypto/random_source.h"
#include "ssh/crypto/wire.h"

namespace vorto::crypto {

struct RsaKey {
    Bignum modulus;
    Bignum exponent;
    // Present only for private keys; iqmp is q^-1 mod p.
    Bignum private_exponent, p, q, iqmp;
};

bool RsaHasPrivate(const RsaKey& key);

// "ssh-rsa", e, n.
bool RsaFromPublicBlob(std::span<const uint8_t> blob, RsaKey& key);
std::vector<uint8_t> RsaPublicBlob(const RsaKey& key);
// d, p, q, iqmp as mpints.
std::vector<uint8_t> RsaPrivateBlob(const RsaKey& key);
// Checks that the halves belong together (n = p q, and d inverts e).
bool RsaFromBlobs(std::span<const uint8_t> public_blob, std::span<const uint8_t> private_blob, RsaKey& key);
// The agent's encoding after the algorithm name: n, e, d, iqmp, p, q.
bool RsaFromOpenSshPrivate(WireReader& r, RsaKey& key);
void RsaWriteOpenSshPrivate(const RsaKey& key, std::vector<uint8_t>& out);
// A consistent private key: n = p q and e d = 1 modulo lcm(p - 1, q - 1).
bool RsaCheckPrivate(const RsaKey& key);

// Host-key cache text: "0x" e "," "0x" n, lowercase, no leading zeros.
std::string RsaKeyText(const RsaKey& key);

// input^e mod n.
bool RsaPublicOp(const RsaKey& key, const Bignum& input, Bignum& out);
// input^d mod n, blinded by a value derived deterministically from the key
// and the input. False for a public-only key or input >= n.
bool RsaPrivateOp(const RsaKey& key, const Bignum& input, Bignum& out);

// Signature blob: string "ssh-rsa", string signature.
bool RsaVerifySha1(const RsaKey& key, std::span<const uint8_t> signature_blob, std::span<const uint8_t> data);
// With `pad_to_modulus` the signature keeps its leading zeros up to the
// modulus length (for servers that need it); otherwise it is the shortest form.
bool RsaSignSha1(const RsaKey& key, std::span<const uint8_t> data, bool pad_to_modulus,
                 std::vector<uint8_t>& signature_blob);

// SSH-1: PKCS #1 type 2 padding (random non-zero bytes) and the public
// operation. False when the data does not fit with 11 bytes of padding.
bool RsaSsh1Encrypt(const RsaKey& key, std::span<const uint8_t> data, RandomSource& random, Bignum& out);

}  // namespace vorto::crypto
