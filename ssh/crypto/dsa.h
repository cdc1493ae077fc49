// DSA (FIPS 186-2) with SHA-1 for SSH-2 keys, with the per-signature number
// derived from the private key and the message instead of drawn at random.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ssh/crypto/bignum.h"
#include "ssh/crypto/wire.h"

namespace vorto::crypto {

struct DsaKey {
    Bignum p, q, g, y;
    Bignum x;  // zero for a public key
};

bool DsaHasPrivate(const DsaKey& key);

// "ssh-dss", p, q, g, y.
bool DsaFromPublicBlob(std::span<const uint8_t> blob, DsaKey& key);
std::vector<uint8_t> DsaPublicBlob(const DsaKey& key);
// x as an mpint.
std::vector<uint8_t> DsaPrivateBlob(const DsaKey& key);
// Checks that y = g^x mod p.
bool DsaFromBlobs(std::span<const uint8_t> public_blob, std::span<const uint8_t> private_blob, DsaKey& key);
// The agent's encoding after the algorithm name: p, q, g, y, x.
bool DsaFromOpenSshPrivate(WireReader& r, DsaKey& key);
void DsaWriteOpenSshPrivate(const DsaKey& key, std::vector<uint8_t>& out);

// Host-key cache text: "0x" p ",0x" q ",0x" g ",0x" y.
std::string DsaKeyText(const DsaKey& key);

// Signature blob: string "ssh-dss", string of r and s as 20 bytes each.
bool DsaVerifySha1(const DsaKey& key, std::span<const uint8_t> signature_blob, std::span<const uint8_t> data);
// The same data and key always give the same signature.
bool DsaSignSha1(const DsaKey& key, std::span<const uint8_t> data, std::vector<uint8_t>& signature_blob);

}  // namespace vorto::crypto
